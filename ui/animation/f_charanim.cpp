// The animation window: its layout, its lifecycle (creation, activation, the close query,
// destruction) and the document it holds (new, open, save, sprite and palette).
#include "ui/animation/f_charanim.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "gif/GifReader.h"
#include "gif/GifWriter.h"
#include "imaging/Limits.h"
#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "model/Cellist.h"
#include "model/Spritez.h"
#include "ui/animation/CelStrip.h"
#include "ui/animation/PreviewBox.h"
#include "ui/animation/f_charanim_controls.h"
#include "ui/animation/f_new.h"
#include "ui/animation/f_progress.h"
#include "ui/common/Files.h"
#include "ui/common/Questions.h"
#include "ui/painter/f_painter.h"

namespace {

// What a new animation starts from when there is no New Animation dialog.
constexpr int DefaultWidth = 64;
constexpr int DefaultHeight = 64;
constexpr COLORREF DefaultBackground = RGB(255, 255, 255);
constexpr bool DefaultTransparent = true;
constexpr int DefaultFrameRate = 200;

enum class TGlyph { Reverse, FrameBackward, Stop, FrameForward, Play };

// The playback buttons' pictures: plain black shapes on 11 x 11 pixels.
QIcon GlyphIcon(TGlyph Glyph) {
    QPixmap Picture(11, 11);
    Picture.fill(Qt::transparent);
    QPainter Painter(&Picture);
    Painter.setPen(Qt::NoPen);
    Painter.setBrush(Qt::black);
    switch (Glyph) {
    case TGlyph::Reverse:
        Painter.drawPolygon(QPolygon({QPoint(8, 0), QPoint(8, 10), QPoint(3, 5)}));
        break;
    case TGlyph::FrameBackward:
        Painter.drawRect(1, 1, 1, 8);
        Painter.drawPolygon(QPolygon({QPoint(9, 1), QPoint(9, 9), QPoint(4, 5)}));
        break;
    case TGlyph::Stop:
        Painter.drawRect(2, 2, 7, 7);
        break;
    case TGlyph::FrameForward:
        Painter.drawPolygon(QPolygon({QPoint(1, 1), QPoint(1, 9), QPoint(6, 5)}));
        Painter.drawRect(8, 1, 1, 8);
        break;
    case TGlyph::Play:
        Painter.drawPolygon(QPolygon({QPoint(2, 0), QPoint(2, 10), QPoint(7, 5)}));
        break;
    }
    return QIcon(Picture);
}

QToolButton* PlayButton(QWidget* Parent, const char* Name, const QString& Hint, TGlyph Glyph) {
    auto* Button = new QToolButton(Parent);
    Button->setObjectName(Name);
    Button->setToolTip(Hint);
    Button->setAccessibleName(Hint);
    Button->setIcon(GlyphIcon(Glyph));
    Button->setIconSize(QSize(11, 11));
    Button->setFixedSize(19, 19);
    Button->setCheckable(true);
    return Button;
}

QLabel* Label(QWidget* Parent, const char* Name, const QString& Text, bool Bold) {
    auto* Result = new QLabel(Text, Parent);
    Result->setObjectName(Name);
    if (Bold) {
        QFont Font = Result->font();
        Font.setBold(true);
        Result->setFont(Font);
    }
    return Result;
}

QSpinBox* FrameRateField(QWidget* Parent, const char* Name, const QString& Caption) {
    auto* Field = new QSpinBox(Parent);
    Field->setObjectName(Name);
    Field->setAccessibleName(Caption);
    Field->setRange(0, 99999);
    Field->setSingleStep(50);
    if (auto* Text = Field->findChild<QLineEdit*>()) Text->setMaxLength(5);
    return Field;
}

QAction* MenuItem(QMenu* Menu, const char* Name, const QString& Text) {
    QAction* Item = Menu->addAction(Text);
    Item->setObjectName(Name);
    return Item;
}

} // namespace

TfrmCharAnimation::TfrmCharAnimation(TDocumentHost& Host, QWidget* Parent)
    : QMdiSubWindow(Parent), Host(Host), Controls(std::make_unique<TControls>()) {
    setObjectName("frmCharAnimation");
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls();
    // The designed size, made wider where the desktop's fonts need more room for the
    // labels; the frame around the content is the style's MDI frame on either side.
    const int Frame = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
    resize(std::max(291, widget()->minimumSizeHint().width() + 2 * Frame), 297);
    FormCreate();
}

TfrmCharAnimation::~TfrmCharAnimation() {
    // FormDestroy. A window destroyed together with the main window (rather than closed)
    // must not call into it: its own destruction is already under way.
    timeAnimation->stop();
    if (Closed) ForgetDragSource();
    Cels.reset();
    Comments.clear();
    if (Closed) Host.UpdateCommandStates();
    if (Editing().CurrentPalette == OwnedPalette.get()) Editing().CurrentPalette = nullptr;
    OwnedPalette.reset();
}

void TfrmCharAnimation::BuildControls() {
    TControls& C = *Controls;
    C.Content = new QWidget(this);
    C.Content->setObjectName("pnlCharAnimation");
    setWidget(C.Content);
    auto* Column = new QVBoxLayout(C.Content);
    Column->setContentsMargins(0, 0, 0, 0);
    Column->setSpacing(0);

    C.splitAnimation = new QSplitter(Qt::Horizontal, C.Content);
    C.splitAnimation->setObjectName("splitAnimation");
    C.splitAnimation->setChildrenCollapsible(false);
    Column->addWidget(C.splitAnimation, 1);

    // Left pane: the strip and, at its right edge, a 20-pixel panel with its scroll bar.
    auto* StripPane = new QWidget(C.splitAnimation);
    StripPane->setObjectName("pnlCels");
    auto* StripRow = new QHBoxLayout(StripPane);
    StripRow->setContentsMargins(0, 0, 0, 0);
    StripRow->setSpacing(0);
    auto* ScrollPanel = new QWidget(StripPane);
    ScrollPanel->setObjectName("pnlScrollBar");
    ScrollPanel->setFixedWidth(20);
    auto* ScrollColumn = new QVBoxLayout(ScrollPanel);
    ScrollColumn->setContentsMargins(2, 2, 2, 2);
    C.sbarCharAnim = new QScrollBar(Qt::Vertical, ScrollPanel);
    C.sbarCharAnim->setObjectName("sbarCharAnim");
    C.sbarCharAnim->setAccessibleName("Scroll Cels");
    ScrollColumn->addWidget(C.sbarCharAnim);
    C.imgCharAnim = new TCelStrip(*C.sbarCharAnim, StripPane);
    StripRow->addWidget(C.imgCharAnim, 1);
    StripRow->addWidget(ScrollPanel);

    // Right pane: the bordered preview box above the playback controls.
    C.pnlAnimBox = new QFrame(C.splitAnimation);
    C.pnlAnimBox->setObjectName("pnlAnimBox");
    C.pnlAnimBox->setFrameShape(QFrame::StyledPanel);
    C.pnlAnimBox->setFrameShadow(QFrame::Sunken);
    auto* BoxColumn = new QVBoxLayout(C.pnlAnimBox);
    BoxColumn->setContentsMargins(1, 1, 1, 1);
    BoxColumn->setSpacing(0);
    C.sboxRunAnimation = new QScrollArea(C.pnlAnimBox);
    C.sboxRunAnimation->setObjectName("sboxRunAnimation");
    C.sboxRunAnimation->setFrameShape(QFrame::NoFrame);
    C.sboxRunAnimation->setWidgetResizable(true);
    C.imgRunAnimation = new TPreviewBox;
    C.sboxRunAnimation->setWidget(C.imgRunAnimation);
    BoxColumn->addWidget(C.sboxRunAnimation, 1);

    auto* ButtonPanel = new QWidget(C.pnlAnimBox);
    ButtonPanel->setObjectName("pnlAnimButtons");
    ButtonPanel->setFixedHeight(91);
    auto* ButtonColumn = new QVBoxLayout(ButtonPanel);
    ButtonColumn->setContentsMargins(6, 6, 6, 6);
    ButtonColumn->setSpacing(6);
    auto* ButtonRow = new QHBoxLayout;
    ButtonRow->setSpacing(1);
    C.sbutPlayReverse =
        PlayButton(ButtonPanel, "sbutPlayReverse", "Run Backwards", TGlyph::Reverse);
    C.sbutFrameBackwards =
        PlayButton(ButtonPanel, "sbutFrameBackwards", "Frame Backward", TGlyph::FrameBackward);
    C.sbutAnimStop = PlayButton(ButtonPanel, "sbutAnimStop", "Stop", TGlyph::Stop);
    C.sbutFrameForward =
        PlayButton(ButtonPanel, "sbutFrameForward", "Frame Forward", TGlyph::FrameForward);
    C.sbutPlay = PlayButton(ButtonPanel, "sbutPlay", "Run Animation", TGlyph::Play);
    for (QToolButton* Button :
         {C.sbutPlayReverse, C.sbutFrameBackwards, C.sbutAnimStop, C.sbutFrameForward, C.sbutPlay})
        ButtonRow->addWidget(Button);
    ButtonRow->addStretch(1);
    ButtonColumn->addLayout(ButtonRow);
    C.cboxStretch = new QCheckBox("Stretch Image", ButtonPanel);
    C.cboxStretch->setObjectName("cboxStretch");
    ButtonColumn->addWidget(C.cboxStretch);
    C.butProperties = new QPushButton("Properties...", ButtonPanel);
    C.butProperties->setObjectName("butProperties");
    ButtonColumn->addWidget(C.butProperties, 0, Qt::AlignLeft);
    ButtonColumn->addStretch(1);
    BoxColumn->addWidget(ButtonPanel);

    // The preview pane keeps its width when the window is resized; the strip takes the rest.
    C.splitAnimation->setStretchFactor(0, 1);
    C.splitAnimation->setStretchFactor(1, 0);
    C.splitAnimation->setSizes({150, 130});

    // Bottom panel: the two frame-rate fields.
    auto* Bottom = new QWidget(C.Content);
    Bottom->setObjectName("pnlFrameRates");
    Bottom->setFixedHeight(59);
    auto* Grid = new QGridLayout(Bottom);
    Grid->setContentsMargins(4, 4, 4, 4);
    Grid->setHorizontalSpacing(2);
    Grid->setVerticalSpacing(2);
    QLabel* DefaultCaption = Label(Bottom, "lblDefaultFrameRate", "Default Frame Rate", true);
    QLabel* RateCaption = Label(Bottom, "lblFrameRate", "Frame Rate", true);
    C.spinDefaultFrameRate = FrameRateField(Bottom, "spinDefaultFrameRate", "Default Frame Rate");
    C.spinFrameRate = FrameRateField(Bottom, "spinFrameRate", "Frame Rate");
    DefaultCaption->setBuddy(C.spinDefaultFrameRate);
    RateCaption->setBuddy(C.spinFrameRate);
    Grid->addWidget(DefaultCaption, 0, 0, 1, 2);
    Grid->addWidget(RateCaption, 0, 3, 1, 2);
    Grid->addWidget(C.spinDefaultFrameRate, 1, 0);
    Grid->addWidget(Label(Bottom, "lblDefaultMiliseconds", "miliseconds", false), 1, 1);
    Grid->addWidget(C.spinFrameRate, 1, 3);
    Grid->addWidget(Label(Bottom, "lblMiliseconds", "miliseconds", false), 1, 4);
    Grid->setColumnMinimumWidth(2, 4);
    Grid->setColumnStretch(5, 1);
    Column->addWidget(Bottom);

    // The strip's pop-up menu.
    C.mnuPopup = new QMenu(this);
    C.mnuPopup->setObjectName("mnuPopup");
    C.mitemDelete = MenuItem(C.mnuPopup, "mitemDelete", "&Delete");
    C.mitemInsert = MenuItem(C.mnuPopup, "mitemInsert", "&Insert");
    C.mitemappend = MenuItem(C.mnuPopup, "mitemappend", "&Append");
    C.mnuPopup->addSeparator();
    C.mniCut = MenuItem(C.mnuPopup, "mniCut", "&Cut");
    C.mniCopy = MenuItem(C.mnuPopup, "mniCopy", "C&opy");
    C.mniPaste = MenuItem(C.mnuPopup, "mniPaste", "&Paste");
    C.mniPaste->setEnabled(false);
    C.mnuPopup->addSeparator();
    C.Importcel1 = MenuItem(C.mnuPopup, "Importcel1", "I&mport Cel...");
    C.ExportCel1 = MenuItem(C.mnuPopup, "ExportCel1", "&Export Cel...");

    timeAnimation = new QTimer(this);
    timeAnimation->setObjectName("timeAnimation");
    timeAnimation->setTimerType(Qt::PreciseTimer);

    connect(C.imgCharAnim, &TCelStrip::Pressed, this,
            [this](Qt::MouseButton Button, QPoint At, QPoint Global) {
                imgCharAnimMouseDown(Button, At.x(), At.y(), Global);
            });
    connect(C.imgCharAnim, &TCelStrip::MenuRequested, this,
            [this](QPoint Global) { Controls->mnuPopup->popup(Global); });
    connect(C.imgCharAnim, &TCelStrip::Resized, this, [this] {
        if (Cels) Cels->Rebuild();
    });
    connect(C.imgCharAnim, &TCelStrip::Scrolled, this, [this] {
        if (Cels) Cels->Scroll();
    });
    using T = TfrmCharAnimation;
    const std::pair<QAbstractButton*, void (T::*)()> Buttons[] = {
        {C.sbutPlayReverse, &T::sbutPlayReverseClick},
        {C.sbutFrameBackwards, &T::sbutFrameBackwardsClick},
        {C.sbutAnimStop, &T::sbutAnimStopClick},
        {C.sbutFrameForward, &T::sbutFrameForwardClick},
        {C.sbutPlay, &T::sbutPlayClick},
        {C.cboxStretch, &T::cboxStretchClick},
        {C.butProperties, &T::butPropertiesClick},
    };
    for (const auto& [Button, Click] : Buttons)
        connect(Button, &QAbstractButton::clicked, this,
                [this, Click = Click] { (this->*Click)(); });
    const std::pair<QAction*, void (T::*)()> Items[] = {
        {C.mitemDelete, &T::sbutDeleteClick},    {C.mitemInsert, &T::sbutInsertClick},
        {C.mitemappend, &T::sbutAppendCelClick}, {C.mniCut, &T::mniCutClick},
        {C.mniCopy, &T::mniCopyClick},           {C.mniPaste, &T::mniPasteClick},
    };
    for (const auto& [Item, Click] : Items)
        connect(Item, &QAction::triggered, this, [this, Click = Click] { (this->*Click)(); });
    connect(C.spinFrameRate, &QSpinBox::textChanged, this, [this] { spinFrameRateChange(); });
    connect(C.spinDefaultFrameRate, &QSpinBox::textChanged, this,
            [this] { spinDefaultFrameRateChange(); });
    BuildTransfer();
    connect(timeAnimation, &QTimer::timeout, this, [this] { timeAnimationTimer(); });
    connect(C.splitAnimation, &QSplitter::splitterMoved, this,
            [this] { splitAnimationSplitChange(); });
    connect(this, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates Old, Qt::WindowStates New) {
                if (!(Old & Qt::WindowActive) && (New & Qt::WindowActive)) Activate(true);
            });

    C.imgRunAnimation->SetSource([this]() -> const TPxBitmap* {
        if (!Cels) return nullptr;
        const TSprite& Shown = Cels->Sprite();
        return &Shown.CelBitmap(std::clamp(PreviewIndex, 0, Shown.CelCount() - 1));
    });

    // Moving over the strip, the preview or the panels takes the painter's brush preview
    // away, as leaving the painter's image would.
    for (QWidget* Watched : C.Content->findChildren<QWidget*>()) {
        Watched->setMouseTracking(true);
        Watched->installEventFilter(this);
    }
    C.Content->setMouseTracking(true);
    C.Content->installEventFilter(this);
}

void TfrmCharAnimation::FormCreate() {
    Playing = false;
    Busy = false;
    PreviewIndex = 0;
    Direction = 1;
    DefaultDelay = frmNew ? frmNew->FrameRate() : DefaultFrameRate;
    BackgroundTransparent = frmNew ? frmNew->Transparent() : DefaultTransparent;
    Comments.clear();
    LoopCount = 0;
    Modified = false;
    ShowDefaultDelay();
    {
        const QSignalBlocker Quiet(Controls->spinFrameRate);
        Controls->spinFrameRate->setValue(DefaultDelay);
    }
    SetTimerInterval(DefaultDelay);
    timeAnimation->start();
    splitAnimationSplitChange();
}

// ---- The document ----

TSprite* TfrmCharAnimation::Sprite() const {
    return Cels ? &Cels->Sprite() : nullptr;
}

TfrmPainter* TfrmCharAnimation::Painter() const {
    return PainterWindow.data();
}

void TfrmCharAnimation::SetPainterWindow(TfrmPainter* Painter) {
    if (PainterWindow) return;
    PainterWindow = Painter;
    if (Painter) Painter->setWindowTitle("Painter : " + Caption());
}

void TfrmCharAnimation::TakePalette(std::unique_ptr<TPxPalette> Palette) {
    OwnedPalette = std::move(Palette);
}

void TfrmCharAnimation::ChangePalette(std::unique_ptr<TPxPalette> Palette) {
    if (!Palette) return;
    // The cels move first: when they cannot, nothing has changed. Once they have, the window
    // owns the palette they are on before anything else can fail, and the old one goes last.
    if (Cels) Cels->SetPalette(*Palette);
    const std::unique_ptr<TPxPalette> Previous = std::exchange(OwnedPalette, std::move(Palette));
    if (Editing().CurrentPalette == Previous.get()) Editing().CurrentPalette = OwnedPalette.get();
    TfrmPainter* Shown = Painter();
    if (Shown) Shown->SetPalette(*OwnedPalette);
    SetPalette(*OwnedPalette);
    if (Shown) {
        Shown->RefreshView();
        Shown->RebuildColorBitmaps();
    }
}

QString TfrmCharAnimation::Caption() const {
    return windowTitle();
}

void TfrmCharAnimation::SetCaption(const QString& Text) {
    setWindowTitle(Text);
    setAccessibleName(Text);
    if (TfrmPainter* Shown = Painter()) Shown->setWindowTitle("Painter : " + Text);
}

void TfrmCharAnimation::NewAnimation(int CelCount) {
    if (!OwnedPalette) return;
    const int Width = frmNew ? frmNew->AnimationWidth() : DefaultWidth;
    const int Height = frmNew ? frmNew->AnimationHeight() : DefaultHeight;
    const COLORREF Background = frmNew ? frmNew->BackgroundColor() : DefaultBackground;
    std::unique_ptr<TSprite> New = TSprite::Create(Width, Height, *OwnedPalette, Background);
    for (int i = 0; i < std::max(1, CelCount); ++i)
        New->AddCel(DefaultDelay);
    New->SetCurrent(0);
    SetSprite(std::move(New));
}

void TfrmCharAnimation::TakeSprite(std::unique_ptr<TSprite> Sprite) {
    ForgetDragSource();
    if (Cels)
        Cels->SetSprite(std::move(Sprite));
    else
        Cels = std::make_unique<TCelList>(*Controls->imgCharAnim, std::move(Sprite));
    // A new cel list starts with white as its background; the sprite knows better, and
    // changing the background colour later starts from the cel list's.
    Cels->SetBackColor(Cels->Sprite().BackColor());
}

void TfrmCharAnimation::SetSprite(std::unique_ptr<TSprite> Sprite) {
    if (!Sprite || Sprite->CelCount() == 0) return;
    TakeSprite(std::move(Sprite));
    if (TfrmPainter* Shown = Painter())
        Shown->Attach(&Cels->Sprite(), &Cels->Palette(), Cels->Current());
    PreviewIndex = Cels->Current();
    UpdatePreviewSize();
    Controls->imgRunAnimation->RebuildBackdrop();
    ShowCurrentCel();
    ShowCelDelay();
}

bool TfrmCharAnimation::LoadFromGIF(const QString& FileName, QString* Reason,
                                    std::vector<std::string>* Faults) {
    const THourglass Wait;
    TGifReadResult Read = ReadGifFile(CorePath(FileName));
    if (!Read.Opened()) {
        if (Reason) *Reason = QString::fromStdString(Read.Error);
        return false;
    }
    if (Faults) *Faults = Read.Faults;

    // The old sprite refers to the old palette until the cel list lets it go.
    std::unique_ptr<TPxPalette> Previous = std::move(OwnedPalette);
    OwnedPalette = std::move(Read.Palette);
    Editing().CurrentPalette = OwnedPalette.get();
    const COLORREF Background = Read.Sprite->BackColor();
    TakeSprite(std::move(Read.Sprite));
    if (TfrmPainter* Shown = Painter()) {
        Shown->Attach(&Cels->Sprite(), OwnedPalette.get(), Cels->Current());
        // The painter maps its colours onto the new palette and hands its background on;
        // the file's background colour is the one to keep.
        Shown->SetPalette(*OwnedPalette);
        Cels->SetBackColor(Background);
        Shown->SetBackgroundColor(Background);
    }
    Previous.reset();

    BackgroundTransparent = Read.BackgroundTransparent;
    LoopCount = Read.LoopCount;
    Comments = std::move(Read.Comments);
    DefaultDelay = Read.DefaultDelay;
    ShowDefaultDelay();

    Cels->Rebuild();
    PreviewIndex = Cels->Current();
    UpdatePreviewSize();
    Controls->imgRunAnimation->RebuildBackdrop();
    ShowCurrentCel();
    ShowCelDelay();
    ShowPainterCel();
    Modified = false;
    return true;
}

bool TfrmCharAnimation::SaveToGIF(const QString& FileName, QString* Reason, int Scale) {
    if (!Cels) {
        if (Reason) *Reason = "There is no animation to save.";
        return false;
    }
    // A floating selection has left a hole in its cel: saving without it would store the
    // hole and lose the lifted pixels.
    if (TfrmPainter* Editing = Painter()) Editing->DropSelection();
    const THourglass Wait;
    TGifWriteSettings Settings = WriteSettings();
    Settings.Scale = Scale;
    const auto Progress = [](int Position, int Maximum) {
        if (!frmProgress) return;
        if (Position == 0)
            frmProgress->Start("Optimizing and Saving...", Maximum);
        else
            frmProgress->SetPosition(Position);
    };
    TGifWriteResult Written;
    try {
        Written =
            SaveGifFile(CorePath(FileName), Cels->Sprite(), Cels->Palette(), Settings, Progress);
    } catch (const std::exception& Failure) {
        Written.Ok = false;
        Written.Reason = Failure.what();
    }
    if (frmProgress) frmProgress->Finish();
    if (!Written && Reason) *Reason = QString::fromStdString(Written.Reason);
    return bool(Written);
}

TGifWriteSettings TfrmCharAnimation::WriteSettings() const {
    TGifWriteSettings Settings;
    Settings.BackgroundTransparent = BackgroundTransparent;
    Settings.LoopCount = LoopCount;
    Settings.Comments = Comments;
    return Settings;
}

TRgbColor TfrmCharAnimation::BackgroundRgb() const {
    if (!Cels) return {255, 255, 255};
    const TPaletteEntry& Entry =
        Cels->Palette().Entry(FirstUserColor + GifBackgroundIndex(Cels->Sprite(), Cels->Palette()));
    return {Entry.Red, Entry.Green, Entry.Blue};
}

void TfrmCharAnimation::SetPalette(TPxPalette&) {
    Controls->imgRunAnimation->RebuildBackdrop();
    ShowPainterCel();
    ShowCurrentCel();
    Modified = true;
}

void TfrmCharAnimation::ResizeAnimation(int Width, int Height, bool Stretch) {
    if (!Cels || Width < 1 || Height < 1) return;
    const THourglass Wait;
    // The painter's view of the new size is made before any cel changes, so that running
    // out of memory for either leaves both as they were.
    TfrmPainter* Shown = Painter();
    TfrmPainter::TView View;
    if (Shown) View = Shown->MakeView(Width, Height, Shown->Zoom());
    Cels->SetSpriteSize(Width, Height, Stretch);
    // Every cel is made again, so a pointer to one of them would dangle.
    ForgetDragSource();
    if (Shown) {
        Shown->TakeView(std::move(View));
        Shown->ShowPainterCel();
    }
    UpdatePreviewSize();
    Controls->imgRunAnimation->RebuildBackdrop();
    ShowCurrentCel();
}

void TfrmCharAnimation::ResizeCels(int Width, int Height, bool Stretch) {
    if (!Cels) return;
    if (Width != Cels->Sprite().Width() || Height != Cels->Sprite().Height()) {
        const std::uint64_t Bytes = AnimationBytes(Width, Height, std::uint64_t(Cels->CelCount()));
        if (Bytes > MaxAnimationBytes) {
            Questions().Message(TBoxKind::Error,
                                QString("Error:  %1 cels of %2 x %3 pixels would take %4 MiB, and "
                                        "the cels of an animation can take at most %5 MiB.  "
                                        "Choose a smaller size.")
                                    .arg(Cels->CelCount())
                                    .arg(Width)
                                    .arg(Height)
                                    .arg((Bytes + (1u << 20) - 1) >> 20)
                                    .arg(MaxAnimationBytes >> 20));
            return;
        }
        ResizeAnimation(Width, Height, Stretch);
        if (TfrmPainter* Shown = Painter()) Shown->ResetUndo();
        Modified = true;
    }
    Controls->imgRunAnimation->RebuildBackdrop();
    ShowCurrentCel();
}

void TfrmCharAnimation::ForgetDragSource() {
    if (Cels && Editing().DragSourceCel.CelList == Cels.get()) Editing().DragSourceCel = {};
}

// ---- Lifecycle ----

void TfrmCharAnimation::FormActivate() {
    Activate(!mdiArea() || mdiArea()->activeSubWindow() != this);
}

void TfrmCharAnimation::Activate(bool FromOtherWindow) {
    SetCopyPasteButtons();
    TfrmPainter* Shown = Painter();
    if (Shown) Shown->UpdateUndoButtons();
    if (Shown && FromOtherWindow && !Shown->PuttingAway) {
        // The painter belongs with its animation: coming from elsewhere, one that was put
        // away comes back.
        if (Shown->isMinimized()) {
            Shown->showNormal();
            if (mdiArea()) mdiArea()->setActiveSubWindow(this);
        }
        Shown->raise();
        raise();
    }
    if (OwnedPalette) Editing().CurrentPalette = OwnedPalette.get();
    Editing().CurrentAnimation = this;
    Editing().CurrentPainter = Shown;
    ShowCurrentCel();
}

bool TfrmCharAnimation::FormCloseQuery() {
    if (!Modified) return true;
    switch (
        Questions().YesNoCancel(TBoxKind::Warning, "Do you want to save changes to " + Caption())) {
    case TAnswer::No:
        return true;
    case TAnswer::Yes:
        break;
    default:
        return false;
    }
    // An untitled document offers no name; one opened from a file offers that file.
    const QString Offered = Caption().contains("Animation [") ? QString() : Caption();
    const QString Target = Host.AskSaveAnimationName(Offered);
    if (Target.isEmpty()) return false;
    if (!SaveToGIF(Target)) {
        Questions().Message(TBoxKind::Error, FileErrors::Save);
        return false;
    }
    Modified = false;
    return true;
}

void TfrmCharAnimation::FormClose() {
    Closed = true;
    Playing = false;
    timeAnimation->stop();
    TfrmPainter* Shown = Painter();
    if (Shown) {
        Shown->AllowClose = true;
        Shown->close();
    }
    if (Editing().CurrentAnimation == this) Editing().CurrentAnimation = nullptr;
    if (Editing().CurrentPainter && Editing().CurrentPainter == Shown)
        Editing().CurrentPainter = nullptr;
    ForgetDragSource();
    Cels.reset();
}

void TfrmCharAnimation::closeEvent(QCloseEvent* Event) {
    if (!Closed) {
        if (!FormCloseQuery()) {
            Event->ignore();
            return;
        }
        FormClose();
    }
    QMdiSubWindow::closeEvent(Event);
}

void TfrmCharAnimation::changeEvent(QEvent* Event) {
    QMdiSubWindow::changeEvent(Event);
    // The strip's backdrop is the button-face colour of the current style.
    if ((Event->type() == QEvent::PaletteChange || Event->type() == QEvent::StyleChange) && Cels)
        Cels->Refresh();
}

void TfrmCharAnimation::resizeEvent(QResizeEvent* Event) {
    QMdiSubWindow::resizeEvent(Event);
    splitAnimationSplitChange();
}

void TfrmCharAnimation::splitAnimationSplitChange() {
    const QList<int> Sizes = Controls->splitAnimation->sizes();
    if (Sizes.size() == 2) SplitOffset = Sizes[1] + Controls->splitAnimation->handleWidth();
}

bool TfrmCharAnimation::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::MouseMove)
        if (TfrmPainter* Shown = Painter()) Shown->ClearPreview();
    return QMdiSubWindow::eventFilter(Watched, Event);
}

void TfrmCharAnimation::imgCharAnimMouseDown(Qt::MouseButton Button, int X, int Y,
                                             QPoint GlobalPosition) {
    if (!Cels) return;
    if (Button == Qt::RightButton) {
        Controls->mnuPopup->popup(GlobalPosition);
        return;
    }
    TfrmPainter* Shown = Painter();
    if (Shown) Shown->DropSelection();
    if (Editing().CurrentTool == ptSelectArea) Host.SelectBrushTool();
    Cels->SelectAt(X, Y);
    ShowPainterCel();
    Editing().DragSourceCel = {&Cels->CurrentBitmap(), Cels.get()};
    PreviewIndex = Cels->Current();
    ShowCurrentCel();
    ShowCelDelay();
}
