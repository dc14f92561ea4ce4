// Starts Quire: checks that the program folder can hold its settings, then runs the main window's
// start-up and shows it; closing it ends the program.
#include "app/Main.h"
#include "app/Startup.h"
#include "platform/QtPrompter.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quire");
    QApplication::setFont(quire::programFont());
    const std::filesystem::path programFolder = QApplication::applicationDirPath().toStdString();
    quire::QtPrompter prompter;
    if (!quire::programFolderWritable(programFolder)) {
        prompter.message(quire::programFolderMessage(programFolder), quire::kAppTitle, quire::PromptButtons::Ok,
                         quire::PromptIcon::Critical);
        return 1;
    }
    quire::Main window(programFolder, prompter);
    prompter.setParent(&window);
    // The Setup window may be the only window while start-up runs: closing it must not end Quire.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&window, &quire::Main::started, &window, [&window] {
        window.show();
        QApplication::setQuitOnLastWindowClosed(true);
    });
    window.start();
    return QApplication::exec();
}
