#include "ui/animation/f_export.h"

#include <QComboBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

#include "ui/common/DialogParts.h"

namespace {

// The scales a user picks from: whole multiples that keep pixels square on any screen.
constexpr int Scales[] = {1, 2, 3, 4, 6, 8};

// The last choices, offered again by the next export of the same kind.
int LastScale[3] = {2, 1, 1};
int LastSpacing = 0;

// The fewest columns of the smallest square grid that holds Count cels.
int SquareColumns(int Count) {
    int Columns = 1;
    while (Columns * Columns < Count)
        ++Columns;
    return Columns;
}

} // namespace

TdlgExportOptions::TdlgExportOptions(TKind Kind, int CelCount, QWidget* Parent)
    : QDialog(Parent), Kind(Kind) {
    // Apart from the titles of the file dialogs that follow them.
    const char* Titles[] = {"Export Scaled Copy", "Export Cel as PNG", "Export Sprite Sheet"};
    NameWindow(*this, "dlgExportOptions", Titles[int(Kind)]);

    auto* Fields = new QFormLayout;
    cboScale = Named(new QComboBox(this), "cboScale", "Scale");
    for (int Factor : Scales)
        if (Factor > 1 || Kind != TKind::ScaledCopy)
            cboScale->addItem(QString("%1 x").arg(Factor), Factor);
    cboScale->setCurrentIndex(std::max(0, cboScale->findData(LastScale[int(Kind)])));
    Fields->addRow("&Scale:", cboScale);
    if (Kind == TKind::Sheet) {
        spinColumns = Named(new QSpinBox(this), "spinColumns", "Columns");
        spinColumns->setRange(1, std::max(1, CelCount));
        spinColumns->setValue(SquareColumns(CelCount));
        Fields->addRow("C&olumns:", spinColumns);
        spinSpacing = Named(new QSpinBox(this), "spinSpacing", "Spacing");
        spinSpacing->setRange(0, MaxSheetSpacing);
        spinSpacing->setSuffix(" px");
        spinSpacing->setValue(LastSpacing);
        Fields->addRow("S&pacing:", spinSpacing);
    }

    auto* Layout = new QVBoxLayout(this);
    Layout->addLayout(Fields);
    Layout->addLayout(OkCancelHelpRow(*this, HelpContext));
    Layout->setSizeConstraint(QLayout::SetFixedSize);
}

int TdlgExportOptions::Scale() const {
    return cboScale->currentData().toInt();
}

TSheetOptions TdlgExportOptions::SheetOptions() const {
    TSheetOptions Options;
    Options.Scale = Scale();
    if (spinColumns) Options.Columns = spinColumns->value();
    if (spinSpacing) Options.Spacing = spinSpacing->value();
    return Options;
}

void TdlgExportOptions::done(int Result) {
    if (Result == Accepted) {
        LastScale[int(Kind)] = Scale();
        if (spinSpacing) LastSpacing = spinSpacing->value();
    }
    QDialog::done(Result);
}
