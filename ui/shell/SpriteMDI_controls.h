#pragma once
// The main window's own controls, shared by the files that build and drive it. Only the
// main window's .cpp files include this.
#include <QHash>
#include <QList>
#include <QSpinBox>
#include <QString>

#include "ui/common/DialogParts.h"
#include "ui/shell/SpriteMDI.h"

class QActionGroup;

// The brush-size box: a spin edit of 1..30 into which up to two characters of anything a
// number may start with can be typed, so that the size rule of the main window (not a
// number: 2; below 1: "1"; above 30: "30") sees what the user typed and corrects it.
class TBrushSizeBox : public QSpinBox {
public:
    explicit TBrushSizeBox(QWidget* Parent);
    QString Text() const;
    void SetText(const QString& Text);
    QLineEdit* Editor() const { return lineEdit(); }

protected:
    QValidator::State validate(QString& Input, int& Position) const override;
    int valueFromText(const QString& Text) const override;
};

struct TfrmSpriteMDI::TControls {
    // Every menu item and tool-bar button by its designed name.
    QHash<QString, QAction*> Commands;
    // The set EnableCommands switches: single commands, whole menus and the size box.
    QList<QAction*> DocumentCommands;
    QList<QMenu*> DocumentMenus;

    QToolBar* toolStandard = nullptr;
    QToolBar* toolPaint = nullptr;
    QToolBar* toolShift = nullptr;
    // Exactly one tool button is down, exactly one tool menu item ticked.
    QActionGroup* ToolButtons = nullptr;
    QActionGroup* ToolItems = nullptr;
    QActionGroup* ShapeItems = nullptr;
    TBrushSizeBox* txtSize = nullptr;
    QLabel* Panels[2] = {nullptr, nullptr};

    QMenu* mniFile = nullptr;
    QMenu* mnuWindow = nullptr;
    // The recent files sit just above this separator (the second of the pair above Exit).
    QAction* RecentEnd = nullptr;
    QList<QAction*> RecentItems;
    // The window list below the Window menu's own items.
    QList<QAction*> WindowItems;

    QAction* Command(const char* Name) const { return Commands.value(QString::fromLatin1(Name)); }
};
