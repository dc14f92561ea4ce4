// A main view for dialog tests: records the name of every call in order, and can look at the
// files at the moment of each call.
#pragma once

#include "app/SharedState.h"

#include <functional>
#include <string>
#include <vector>

namespace quire::test {

class RecordingMainView : public MainView {
public:
    std::vector<std::string> calls;
    // Runs after each call is recorded, with the call's name.
    std::function<void(const std::string&)> onCall;

    void resetView() override { record("resetView"); }
    void resetViewKeepGrid() override { record("resetViewKeepGrid"); }
    void refreshMatrixList() override { record("refreshMatrixList"); }
    void applyMainColours() override { record("applyMainColours"); }
    void applyMainCaptions() override { record("applyMainCaptions"); }
    void setTranslator() override { record("setTranslator"); }

private:
    void record(const std::string& name) {
        calls.push_back(name);
        if (onCall)
            onCall(name);
    }
};

} // namespace quire::test
