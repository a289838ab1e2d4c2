// main() of the window tests: one QApplication on the offscreen platform for the whole
// program, settings and recovery data in a home folder of this process's own (ctest runs
// test cases side by side, and they would otherwise be shared between them), and the scripted
// questions installed so that no test ever waits for a person. The application is the
// editor's own, so that a failing command ends where it ends in the editor.
#include <QApplication>
#include <QStandardPaths>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#include "support/ScriptedQuestions.h"
#include "ui/common/Application.h"

int main(int argc, char** argv) {
    // A test that runs its own program as a child hands it its home folder.
    const char* Shared = std::getenv("VIMBREL_TEST_HOME");
    std::string Home =
        Shared ? std::string(Shared)
               : (std::filesystem::temp_directory_path() / "vimbrel-ui-test-XXXXXX").string();
    if (!Shared && !::mkdtemp(Home.data())) return 1;
    ::setenv("HOME", Home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (Home + "/.config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", Home.c_str(), 1);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    int Result = 0;
    {
        TApplication Application(argc, argv);
        QApplication::setOrganizationName("Ostra Vale Software");
        QApplication::setApplicationName("Ostra Vale Vimbrel");
        ::testing::InitGoogleTest(&argc, argv);
        InstallScriptedQuestions();
        Result = RUN_ALL_TESTS();
    }
    std::error_code Ignored;
    if (!Shared) std::filesystem::remove_all(Home, Ignored);
    return Result;
}
