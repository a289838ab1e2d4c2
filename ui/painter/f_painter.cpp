// The painter window itself: its controls, life cycle, activation, colours, brushes, the
// palette strip and the zoom list. The view is in f_painter_view.cpp, the mouse routing and
// the brush tool in f_painter_mouse.cpp, the other tools in f_painter_tools.cpp, area
// selection and the brushes made from areas and text in f_painter_selection.cpp, undo and
// redo in f_painter_undo.cpp.
#include "ui/painter/f_painter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMdiArea>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "imaging/Limits.h"
#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "imaging/ViewZoom.h"
#include "imaging/brush.h"
#include "model/Cellist.h"
#include "model/Spritez.h"
#include "model/undo.h"
#include "ui/animation/f_charanim.h"
#include "ui/common/Application.h"
#include "ui/common/Cursors.h"
#include "ui/common/Questions.h"
#include "ui/painter/FlyPal.h"
#include "ui/painter/PainterControls.h"
#include "ui/painter/PainterWidgets.h"

namespace {
constexpr int ZoomSteps = 10;
constexpr int TopRowLimit = 13;
} // namespace

TfrmPainter::TfrmPainter(TDocumentHost& Host, QWidget* Parent)
    : QMdiSubWindow(Parent), Host(Host), Controls(std::make_unique<TControls>()),
      History(std::make_unique<TPxUndo>()) {
    setObjectName("frmPainter");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(268, 275);

    TControls& C = *Controls;
    C.Form = new QWidget;
    C.Form->setObjectName("Form");
    auto* Column = new QVBoxLayout(C.Form);
    Column->setContentsMargins(0, 0, 0, 0);
    Column->setSpacing(0);

    C.Panel1 = new QWidget(C.Form);
    C.Panel1->setObjectName("Panel1");
    C.Panel1->setAccessibleName("Colors and Zoom");
    C.Panel1->setFixedHeight(30);
    C.Panel1->setMinimumWidth(260);
    Column->addWidget(C.Panel1);

    C.imgDrawColors = new TPainterBox(TPainterBox::TPart::Colors, *this, C.Panel1);
    C.imgDrawColors->setGeometry(4, 4, 51, 22);

    C.imgPalette = new TPainterBox(TPainterBox::TPart::Strip, *this, C.Panel1);
    C.imgPalette->setGeometry(59, 5, 129, 20);

    C.sbutPalette = new QToolButton(C.Panel1);
    C.sbutPalette->setObjectName("sbutPalette");
    C.sbutPalette->setToolTip("Flying Palette");
    C.sbutPalette->setAccessibleName("Flying Palette");
    C.sbutPalette->setText("...");
    C.sbutPalette->setGeometry(192, 5, 18, 20);
    connect(C.sbutPalette, &QToolButton::clicked, this, [this] { sbutPaletteClick(); });

    C.cboZoom = new QComboBox(C.Panel1);
    C.cboZoom->setObjectName("cboZoom");
    C.cboZoom->setAccessibleName("Zoom");
    C.cboZoom->setToolTip("Zoom");
    for (int Step = 1; Step <= ZoomSteps; ++Step)
        C.cboZoom->addItem(QString::number(Step) + "x");
    C.cboZoom->setCurrentIndex(2);
    C.cboZoom->setGeometry(217, 4, 48, 22);
    connect(C.cboZoom, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this](int) { RunGuarded([this] { cboZoomChange(); }); });

    C.sboxPainter = new QScrollArea(C.Form);
    C.sboxPainter->setObjectName("sboxPainter");
    C.sboxPainter->setAccessibleName("Picture Scroll Box");
    C.sboxPainter->setWidgetResizable(false);
    C.sboxPainter->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Column->addWidget(C.sboxPainter, 1);

    C.imgPainter = new TPainterBox(TPainterBox::TPart::Image, *this, nullptr);
    // Clicked, the picture takes the keys: + and - zoom, Escape drops, Space pans.
    C.imgPainter->setFocusPolicy(Qt::ClickFocus);
    C.sboxPainter->setWidget(C.imgPainter);
    SetToolCursor(CursorIdOf(ptBrush));

    C.timeSelectedArea = new QTimer(this);
    C.timeSelectedArea->setObjectName("timeSelectedArea");
    C.timeSelectedArea->setInterval(300);
    connect(C.timeSelectedArea, &QTimer::timeout, this, [this] { timeSelectedAreaTimer(); });

    setWidget(C.Form);

    // Moving over anything but the image takes the brush preview away.
    for (QWidget* W : {static_cast<QWidget*>(C.Panel1), static_cast<QWidget*>(C.imgPalette),
                       static_cast<QWidget*>(C.imgDrawColors), C.sboxPainter->viewport(), C.Form}) {
        W->setMouseTracking(true);
        W->installEventFilter(this);
    }

    connect(this, &QMdiSubWindow::aboutToActivate, this, [this] { FormActivate(); });
    connect(this, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates Old, Qt::WindowStates New) {
                if ((Old & Qt::WindowActive) && !(New & Qt::WindowActive)) FormDeactivate();
            });

    Palette = Editing().CurrentPalette;
    ViewZoom = C.cboZoom->currentIndex() + 1;
    if (Palette) {
        Left = Palette->GetColor(Palette->NearestUserIndex({0, 0, 0}));
        Right = Palette->GetColor(Palette->NearestUserIndex({255, 255, 255}));
    } else {
        Left = PALETTERGB(0, 0, 0);
        Right = PALETTERGB(255, 255, 255);
    }
    Draw = Left;
    Background = Right;
    RebuildColorBitmaps();
    UpdateUndoButtons();
    UpdateBrush();
}

TfrmPainter::~TfrmPainter() = default;

// ---- The editing state ----

TPaintTool TfrmPainter::CurrentTool() const {
    return Editing().CurrentTool;
}

bool TfrmPainter::PaintOnAll() const {
    return Editing().PaintOnAll;
}

int TfrmPainter::BrushSize() const {
    return std::clamp(Editing().BrushSize, 1, 30);
}

int TfrmPainter::BrushShape() const {
    return Editing().BrushShape;
}

TCelList* TfrmPainter::Cels() const {
    return AnimationWindow ? AnimationWindow->CelList() : nullptr;
}

int TfrmPainter::CurrentCel() const {
    const TCelList* List = Cels();
    return List ? List->Current() : -1;
}

// ---- Life cycle ----

void TfrmPainter::Attach(TSprite* NewSprite, TPxPalette* NewPalette, int CelIndex) {
    if (!NewSprite || CelIndex < 0) return;
    // The history holds pixels of the cels it was recorded on; another sprite has others.
    if (Sprite && NewSprite != Sprite) ResetUndo();
    // A selection or polyline of the old pictures has no place in the new ones, and a
    // brush cut from them refers to their palette.
    if (NewSprite != Sprite) ForgetAreaState();
    if (NewPalette && NewPalette != Palette) TextBrushMask.reset();
    Sprite = NewSprite;
    Background = Sprite->BackColor();
    if (NewPalette) Palette = NewPalette;
    ViewZoom = 3;
    SetZoomItem();
    PreviewShown = false;
    // The old view shows the old cels. It goes first, so that its memory serves the new
    // one; a painter left without a view shows and paints nothing.
    View.reset();
    ResizeView();
    RefreshView();
    RebuildColorBitmaps();
    UpdateBrush();
}

void TfrmPainter::closeEvent(QCloseEvent* Event) {
    if (!AllowClose) {
        Event->ignore();
        ClearPreview();
        showMinimized();
        // Minimised, the painter would stay the active window, and the next click in its
        // animation window would bring it straight back. Its animation window becomes the
        // active one instead, leaving the painter put away.
        if (QMdiArea* Area = mdiArea(); Area && AnimationWindow) {
            PuttingAway = true;
            Area->setActiveSubWindow(AnimationWindow);
            PuttingAway = false;
        }
        return;
    }
    QMdiSubWindow::closeEvent(Event);
}

bool TfrmPainter::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::MouseMove) ClearPreview();
    // Keys that no control of the window took come up to its form.
    if (Watched == Controls->Form &&
        (Event->type() == QEvent::KeyPress || Event->type() == QEvent::KeyRelease)) {
        Event->ignore();
        RunGuarded([&] { KeyEvent(Event); });
        if (Event->isAccepted()) return true;
    }
    return QMdiSubWindow::eventFilter(Watched, Event);
}

void TfrmPainter::FormActivate() {
    Editing().CurrentPainter = this;
    Editing().CurrentAnimation = AnimationWindow;
    if (CurrentTool() != ptMoveArea) SetToolCursor(CursorIdOf(CurrentTool()));
    if (Palette) Editing().CurrentPalette = Palette;
    UpdateBrush();
    UpdateUndoButtons();
}

void TfrmPainter::SetToolCursor(int Id) {
    Controls->imgPainter->setCursor(ToolCursor(Id));
}

void TfrmPainter::FormDeactivate() {
    ClearPreview();
}

void TfrmPainter::MarkModified() {
    if (AnimationWindow) AnimationWindow->Modified = true;
}

// ---- Colours and brushes ----

void TfrmPainter::SetBackgroundColor(COLORREF Color) {
    Background = Color;
    SwatchesChanged();
}

void TfrmPainter::SetDrawColor(COLORREF Color, bool RightButton) {
    (RightButton ? Right : Left) = Color;
    UpdateBrush();
    SwatchesChanged();
}

void TfrmPainter::SetPalette(TPxPalette& NewPalette) {
    ClearPreview();
    // The cels' indices are remapped onto the new palette: older snapshots would bring back
    // indices that now mean other colours, so the history ends here.
    ResetUndo();
    Palette = &NewPalette;
    // A text brush is rendered anew on the new palette.
    TextBrushMask.reset();
    RebuildColorBitmaps();
    // Drawing colours are PALETTERGB values, so their RGB survives the old palette.
    const auto Nearest = [&](COLORREF Color) {
        return NewPalette.GetColor(NewPalette.NearestUserIndex(TRgbColor::FromRef(Color)));
    };
    Left = Nearest(Left);
    Right = Nearest(Right);
    Draw = Nearest(Draw);
    Background = Nearest(Background);
    if (TCelList* List = Cels()) List->SetBackColor(Background);
    // The cels are on the new palette already and the old one goes once this returns: no
    // brush may be left on it. Brushes that cannot be made now are made at the next press.
    try {
        UpdateBrush();
    } catch (const std::bad_alloc&) {
        LeftBrush.reset();
        RightBrush.reset();
    }
    SwatchesChanged();
    Controls->imgPalette->update();
    update();
}

void TfrmPainter::UpdateBrush() {
    if (!Palette) return;
    // A text brush follows the colours and the text dialog; a brush made from a selection
    // stays as it was cut.
    if (TextBrush) {
        MakeTextBrush();
        return;
    }
    if (CustomBrush) return;
    const int Shape = BrushShape();
    if (Shape == shCustom) return;
    const int Size = BrushSize();
    // Both are made before either is replaced: a failure keeps the pair as it was.
    std::unique_ptr<TPxBrush> NewLeft = TPxBrush::Create(Size, Shape, Left, *Palette);
    std::unique_ptr<TPxBrush> NewRight = TPxBrush::Create(Size, Shape, Right, *Palette);
    LeftBrush = std::move(NewLeft);
    RightBrush = std::move(NewRight);
}

// ---- Palette strip ----

void TfrmPainter::SetPaletteTopRow(int Row) {
    Row = std::clamp(Row, 0, TopRowLimit);
    if (Row == TopRow) return;
    TopRow = Row;
    Controls->imgPalette->update();
}

void TfrmPainter::imgPaletteMouseDown(Qt::MouseButton Button, int X, int Y) {
    if (!Palette || (Button != Qt::LeftButton && Button != Qt::RightButton)) return;
    const int Column = (X - 1) / SwatchWidth, Row = (Y - 1) / SwatchHeight;
    const int Entry = std::min(Column + (TopRow + Row) * 16 + FirstUserColor, LastUserColor);
    (Button == Qt::LeftButton ? Left : Right) = Palette->GetColor(Entry);
    SwatchesChanged();
    UpdateBrush();
}

void TfrmPainter::sbutPaletteClick() {
    if (!frmPalFly || !Palette) return;
    Editing().CurrentPalette = Palette;
    frmPalFly->Popup(*this, Controls->imgPalette->mapToGlobal(QPoint(0, 0)));
}

// ---- Zoom ----

void TfrmPainter::SetZoomItem() {
    const QSignalBlocker Quiet(Controls->cboZoom);
    Controls->cboZoom->setCurrentIndex(ViewZoom - 1);
}

void TfrmPainter::cboZoomChange() {
    const int Selected = Controls->cboZoom->currentIndex();
    if (Selected >= 0) ZoomTo(Selected + 1);
}

bool TfrmPainter::ZoomTo(int Wanted) {
    Wanted = std::clamp(Wanted, 1, ZoomSteps);
    if (SelectionFloating || CustomBrush || TextBrush) {
        Questions().Message(TBoxKind::Information,
                            "Can't zoom when selecting an area or using a custom brush.  "
                            "Select a built in brush type before zooming.");
        SetZoomItem();
        return false;
    }
    if (Sprite && FittingZoom(Sprite->Width(), Sprite->Height(), Wanted) < Wanted) {
        Questions().Message(
            TBoxKind::Information,
            QString("Can't zoom to %1x: the view of cels of %2 x %3 pixels would have more than "
                    "%4 million pixels.  Choose %5x or less.")
                .arg(Wanted)
                .arg(Sprite->Width())
                .arg(Sprite->Height())
                .arg(MaxViewPixels / 1'000'000)
                .arg(FittingZoom(Sprite->Width(), Sprite->Height(), ZoomSteps)));
        SetZoomItem();
        return false;
    }
    if (Wanted == ViewZoom) {
        SetZoomItem();
        return false;
    }
    ClearPreview();
    if (Sprite && Palette) {
        try {
            TakeView(MakeView(Sprite->Width(), Sprite->Height(), Wanted));
        } catch (...) {
            // The zoom stays as it was, and so does the list.
            SetZoomItem();
            throw;
        }
    } else {
        ViewZoom = Wanted;
        SetZoomItem();
    }
    ShowPainterCel();
    UpdateBrush();
    return true;
}

void TfrmPainter::ZoomAbout(int Steps, int X, int Y) {
    const int Old = ViewZoom;
    QScrollBar* Across = Controls->sboxPainter->horizontalScrollBar();
    QScrollBar* Down = Controls->sboxPainter->verticalScrollBar();
    // Where the point is in the scroll box's window, which stays where it is.
    const int InBoxX = X - Across->value(), InBoxY = Y - Down->value();
    if (Steps == 0 || !ZoomTo(ViewZoom + Steps)) return;
    // The point's cel pixel starts at X / Old * New; the same offset into a pixel of the new
    // size lands in the same pixel.
    Across->setValue(X * ViewZoom / Old - InBoxX);
    Down->setValue(Y * ViewZoom / Old - InBoxY);
}

void TfrmPainter::imgPainterWheel(Qt::KeyboardModifiers Modifiers, QPoint Delta, int X, int Y) {
    if (Modifiers & Qt::ControlModifier) {
        WheelRest += Delta.y() != 0 ? Delta.y() : Delta.x();
        const int Steps = WheelRest / 120;
        WheelRest -= Steps * 120;
        ZoomAbout(Steps, X, Y);
        return;
    }
    WheelRest = 0;
    const int Lines = QApplication::wheelScrollLines();
    QScrollBar* Across = Controls->sboxPainter->horizontalScrollBar();
    QScrollBar* Down = Controls->sboxPainter->verticalScrollBar();
    const auto Scroll = [Lines](QScrollBar* Bar, int Turn) {
        Bar->setValue(Bar->value() - Turn * Lines * Bar->singleStep() / 120);
    };
    if (Modifiers & Qt::ShiftModifier) {
        Scroll(Across, Delta.y() != 0 ? Delta.y() : Delta.x());
        return;
    }
    Scroll(Down, Delta.y());
    Scroll(Across, Delta.x());
}

// ---- Keys and panning ----

void TfrmPainter::KeyEvent(QEvent* Event) {
    auto* Key = static_cast<QKeyEvent*>(Event);
    const bool Pressed = Event->type() == QEvent::KeyPress;
    if (Key->key() == Qt::Key_Space) {
        if (Key->isAutoRepeat()) return Event->accept();
        SpaceHeld = Pressed;
        if (Pressed)
            Controls->imgPainter->setCursor(Qt::OpenHandCursor);
        else if (!Panning)
            SetToolCursor(CursorIdOf(CurrentTool()));
        return Event->accept();
    }
    if (!Pressed || (Key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) return;
    const QWidget* Box = Controls->sboxPainter->viewport();
    const auto ZoomAtMiddle = [&](int Steps) {
        // About the cursor when it is over the picture, else about the middle of what shows.
        const QWidget* Image = Controls->imgPainter;
        QPoint At = Image->mapFromGlobal(QCursor::pos());
        if (!Image->rect().contains(At) || !Box->rect().contains(Image->mapTo(Box, At)))
            At = Image->mapFrom(Box, Box->rect().center());
        ZoomAbout(Steps, At.x(), At.y());
    };
    switch (Key->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        ZoomAtMiddle(1);
        break;
    case Qt::Key_Minus:
        ZoomAtMiddle(-1);
        break;
    case Qt::Key_Escape:
        EscapePressed();
        break;
    default:
        return;
    }
    Event->accept();
}

void TfrmPainter::PanStart(QPoint Global) {
    ClearPreview();
    Panning = true;
    PanFromX = Global.x();
    PanFromY = Global.y();
    Controls->imgPainter->setCursor(Qt::ClosedHandCursor);
}

void TfrmPainter::PanMove(QPoint Global) {
    if (!Panning) return;
    ScrollBy(PanFromX - Global.x(), PanFromY - Global.y());
    PanFromX = Global.x();
    PanFromY = Global.y();
}

void TfrmPainter::PanEnd() {
    Panning = false;
    if (SpaceHeld)
        Controls->imgPainter->setCursor(Qt::OpenHandCursor);
    else
        SetToolCursor(CursorIdOf(CurrentTool()));
}

void TfrmPainter::ScrollBy(int Dx, int Dy) {
    QScrollBar* Across = Controls->sboxPainter->horizontalScrollBar();
    QScrollBar* Down = Controls->sboxPainter->verticalScrollBar();
    Across->setValue(Across->value() + Dx);
    Down->setValue(Down->value() + Dy);
}
