// main() of the window tests: one QApplication on the offscreen platform for the whole
// program, settings in Qt's test location instead of the user's, and the scripted
// questions installed so that no test ever waits for a person.
#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include "support/ScriptedQuestions.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication Application(argc, argv);
    QApplication::setOrganizationName("Ostra Vale Software");
    QApplication::setApplicationName("Ostra Vale Vimbrel");
    ::testing::InitGoogleTest(&argc, argv);
    InstallScriptedQuestions();
    return RUN_ALL_TESTS();
}
