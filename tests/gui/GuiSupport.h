// Support for window tests: a scripted prompter that reports to Qt Test, a fresh program folder,
// and finding widgets by their object names.
#pragma once

#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <QTest>
#include <QWidget>

namespace quire::test {

// Reports prompter failures to the running Qt Test function.
inline ScriptedPrompter::Reporter qtReporter() {
    return [](const std::string& what) { QTest::qFail(what.c_str(), __FILE__, __LINE__); };
}

// The named child of a window; fails the test when there is none.
template <class T>
T* child(const QObject* root, const char* name) {
    T* found = root->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        QTest::qFail((std::string("no widget named ") + name).c_str(), __FILE__, __LINE__);
    return found;
}

} // namespace quire::test
