#pragma once
// The controls of the animation window, shared by the files that make up the window
// (f_charanim.cpp: layout and lifecycle; f_charanim_commands.cpp: cel commands;
// f_charanim_playback.cpp: preview and frame-rate fields). Every pointer is a child of the
// window's widget tree, which owns it.
#include <QApplication>

#include "ui/animation/f_charanim.h"
#include "ui/common/DialogParts.h"

class QAction;
class QFrame;
class QScrollArea;
class QPushButton;
class TCelStrip;
class TPreviewBox;

struct TfrmCharAnimation::TControls {
    QWidget* Content = nullptr;
    QSplitter* splitAnimation = nullptr;
    TCelStrip* imgCharAnim = nullptr;
    QScrollBar* sbarCharAnim = nullptr;
    QFrame* pnlAnimBox = nullptr;
    QScrollArea* sboxRunAnimation = nullptr;
    TPreviewBox* imgRunAnimation = nullptr;
    QToolButton* sbutPlayReverse = nullptr;
    QToolButton* sbutFrameBackwards = nullptr;
    QToolButton* sbutAnimStop = nullptr;
    QToolButton* sbutFrameForward = nullptr;
    QToolButton* sbutPlay = nullptr;
    QCheckBox* cboxStretch = nullptr;
    QPushButton* butProperties = nullptr;
    QSpinBox* spinDefaultFrameRate = nullptr;
    QSpinBox* spinFrameRate = nullptr;
    QMenu* mnuPopup = nullptr;
    QAction* mitemDelete = nullptr;
    QAction* mitemInsert = nullptr;
    QAction* mitemappend = nullptr;
    QAction* mniCut = nullptr;
    QAction* mniCopy = nullptr;
    QAction* mniPaste = nullptr;
    QAction* Importcel1 = nullptr;
    QAction* ExportCel1 = nullptr;
};
