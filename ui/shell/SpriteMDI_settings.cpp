// What the main window keeps between runs: the places of its tool bars and the recent
// files, under the per-user settings of "Ostra Vale Software" / "Ostra Vale Vimbrel".
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLayout>
#include <QMenu>
#include <QSettings>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <map>

#include "ui/shell/SpriteMDI_controls.h"

namespace {

constexpr int MaxRecentFiles = 8;
const char RecentGroup[] = "Most Recently Used Files";

struct TDockName {
    Qt::ToolBarArea Area;
    const char* Name;
};
const TDockName DockNames[] = {
    {Qt::TopToolBarArea, "Dock971"},
    {Qt::RightToolBarArea, "Dock972"},
    {Qt::LeftToolBarArea, "Dock973"},
    {Qt::BottomToolBarArea, "Dock974"},
};

// Where a bar sits: in a dock, by row (counted from the window's edge) and position
// along the row, or floating at a screen position.
struct TBarPlace {
    bool Visible = true;
    Qt::ToolBarArea Area = Qt::TopToolBarArea;
    bool Floating = false;
    int Row = 0;
    int Pos = 0;
    QPoint Float;
    Qt::Orientation FloatOrientation = Qt::Horizontal;
};

bool Across(Qt::ToolBarArea Area) {
    return Area == Qt::TopToolBarArea || Area == Qt::BottomToolBarArea;
}

} // namespace

void TfrmSpriteMDI::RestoreToolBars() {
    TControls& C = *Controls;
    QToolBar* Bars[] = {C.toolStandard, C.toolPaint, C.toolShift};
    const TBarPlace Defaults[] = {
        {true, Qt::TopToolBarArea, false, 0, 0, {}},
        {true, Qt::RightToolBarArea, false, 0, 0, {}},
        {true, Qt::RightToolBarArea, false, 1, 0, {}},
    };
    QSettings Settings;
    TBarPlace Places[3];
    for (int i = 0; i < 3; ++i) {
        Places[i] = Defaults[i];
        if (!Settings.childGroups().contains(Bars[i]->objectName())) continue;
        Settings.beginGroup(Bars[i]->objectName());
        TBarPlace& Place = Places[i];
        Place.Visible = Settings.value("Visible", 1).toInt() != 0;
        const QString Dock = Settings.value("DockedTo").toString();
        Place.Floating = Dock.isEmpty();
        for (const TDockName& Name : DockNames)
            if (Dock == Name.Name) Place.Area = Name.Area;
        Place.Row = Settings.value("DockRow", 0).toInt();
        Place.Pos = Settings.value("DockPos", 0).toInt();
        Place.Float =
            QPoint(Settings.value("FloatLeft", 0).toInt(), Settings.value("FloatTop", 0).toInt());
        // A bar floats as it was when it was pulled out; older settings say nothing, and
        // the bar then takes the orientation of its usual dock.
        Place.FloatOrientation = Settings.value("FloatVertical", Across(Place.Area) ? 0 : 1).toInt()
                                     ? Qt::Vertical
                                     : Qt::Horizontal;
        Settings.endGroup();
    }

    for (QToolBar* Bar : Bars) {
        if (toolBarBreak(Bar)) removeToolBarBreak(Bar);
        removeToolBar(Bar);
    }
    // Each dock takes its bars row by row, and along a row in the order of their places.
    for (const TDockName& Dock : DockNames) {
        std::multimap<std::pair<int, int>, int> Order;
        for (int i = 0; i < 3; ++i)
            if (!Places[i].Floating && Places[i].Area == Dock.Area)
                Order.insert({{Places[i].Row, Places[i].Pos}, i});
        bool First = true;
        int Row = 0;
        for (const auto& [Key, Index] : Order) {
            if (!First && Key.first != Row) addToolBarBreak(Dock.Area);
            addToolBar(Dock.Area, Bars[Index]);
            Bars[Index]->setVisible(Places[Index].Visible);
            First = false;
            Row = Key.first;
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (!Places[i].Floating) continue;
        addToolBar(Defaults[i].Area, Bars[i]);
        // A floating bar is a frameless tool window of the main window, as Qt makes it
        // when the user pulls a bar out of its dock.
        Bars[i]->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
        Bars[i]->setOrientation(Places[i].FloatOrientation);
        Bars[i]->move(Places[i].Float);
        Bars[i]->hide();
        if (!Places[i].Visible) continue;
        // Shown only once the main window is: a tool window made before its owner has no
        // owner to stay above, and a window manager then stacks the maximised main window
        // over it.
        QTimer::singleShot(0, Bars[i], [Bar = Bars[i]] {
            Bar->show();
            Bar->raise();
        });
    }
    // A bar hidden before the window is shown tells nobody; its View item is told here.
    const char* const Items[] = {"mniStandardBar", "mniPaintBar", "mniShiftBar"};
    for (int i = 0; i < 3; ++i)
        C.Command(Items[i])->setChecked(Places[i].Visible);
}

void TfrmSpriteMDI::SaveToolBars() const {
    const TControls& C = *Controls;
    QToolBar* const Bars[] = {C.toolStandard, C.toolPaint, C.toolShift};
    // The window's layout lists its tool bars dock by dock, row by row and along each row
    // in order, hidden and floating bars included, and a break starts each row after the
    // first. A bar that takes no room (hidden) is placed just after the one before it.
    std::map<QToolBar*, std::pair<int, int>> Places;
    std::map<int, std::pair<int, int>> RowAndPosOfArea;
    for (int i = 0; QLayoutItem* Item = layout()->itemAt(i); ++i) {
        auto* Bar = qobject_cast<QToolBar*>(Item->widget());
        if (std::find(std::begin(Bars), std::end(Bars), Bar) == std::end(Bars)) continue;
        const Qt::ToolBarArea Area = toolBarArea(Bar);
        auto Known = RowAndPosOfArea.find(Area);
        if (Known == RowAndPosOfArea.end())
            Known = RowAndPosOfArea.insert({Area, {0, -1}}).first;
        else if (toolBarBreak(Bar))
            Known->second = {Known->second.first + 1, -1};
        int Pos = Known->second.second + 1;
        if (!Bar->isHidden() && !Bar->isFloating())
            Pos = std::max(Pos, Across(Area) ? Bar->x() : Bar->y());
        Known->second.second = Pos;
        Places[Bar] = {Known->second.first, Pos};
    }

    QSettings Settings;
    for (QToolBar* Bar : Bars) {
        Settings.beginGroup(Bar->objectName());
        Settings.setValue("Visible", Bar->isHidden() ? 0 : 1);
        if (Bar->isFloating()) {
            Settings.setValue("DockedTo", QString());
            Settings.setValue("FloatLeft", Bar->x());
            Settings.setValue("FloatTop", Bar->y());
            Settings.setValue("FloatVertical", Bar->orientation() == Qt::Vertical ? 1 : 0);
        } else {
            for (const TDockName& Dock : DockNames)
                if (Dock.Area == toolBarArea(Bar)) Settings.setValue("DockedTo", Dock.Name);
            Settings.setValue("DockRow", Places[Bar].first);
            Settings.setValue("DockPos", Places[Bar].second);
        }
        Settings.endGroup();
    }
}

// ---- Recent files ----

void TfrmSpriteMDI::LoadRecentFiles() {
    QSettings Settings;
    Settings.beginGroup(RecentGroup);
    Recent.clear();
    for (int i = 1; i <= MaxRecentFiles; ++i) {
        const QString FileName = Settings.value(QString("File%1").arg(i)).toString();
        if (!FileName.isEmpty() && !Recent.contains(FileName)) Recent.append(FileName);
    }
    ShowRecentFiles();
}

void TfrmSpriteMDI::SaveRecentFiles() const {
    QSettings Settings;
    Settings.beginGroup(RecentGroup);
    Settings.remove("");
    for (int i = 0; i < Recent.size(); ++i)
        Settings.setValue(QString("File%1").arg(i + 1), Recent[i]);
}

void TfrmSpriteMDI::AddRecentFile(const QString& FileName) {
    const QString Key = QDir::cleanPath(QFileInfo(FileName).absoluteFilePath());
    Recent.erase(std::remove_if(Recent.begin(), Recent.end(),
                                [&](const QString& Known) {
                                    return QDir::cleanPath(QFileInfo(Known).absoluteFilePath()) ==
                                           Key;
                                }),
                 Recent.end());
    Recent.prepend(FileName);
    while (Recent.size() > MaxRecentFiles)
        Recent.removeLast();
    ShowRecentFiles();
    SaveRecentFiles();
}

void TfrmSpriteMDI::ShowRecentFiles() {
    TControls& C = *Controls;
    for (QAction* Item : C.RecentItems)
        C.Commands.remove(Item->objectName());
    qDeleteAll(C.RecentItems);
    C.RecentItems.clear();
    for (int i = 0; i < Recent.size(); ++i) {
        const QString FileName = Recent[i];
        QString Shown = FileName;
        Shown.replace('&', "&&");
        QAction* Item = AddCommand(QString("mruRecentFiles%1").arg(i + 1),
                                   new QAction(QString("&%1 %2").arg(i + 1).arg(Shown), C.mniFile));
        C.mniFile->insertAction(C.RecentEnd, Item);
        connect(Item, &QAction::triggered, this, [this, FileName] { RecentFileClick(FileName); });
        C.RecentItems.append(Item);
    }
}
