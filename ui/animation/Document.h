#pragma once
// Making a document: an animation window and the painter window attached to it, the two
// halves of one document, in an MDI area. The main window makes every new and opened
// document this way, and tests and benchmarks make theirs the same way. User-interface
// thread only.
#include <QString>
#include <memory>

class QMdiArea;
class TDocumentHost;
class TPxPalette;
class TfrmCharAnimation;

// A new document in Area: an animation window that owns Palette (which becomes the current
// palette), captioned Caption, with CelCount blank cels as the New Animation dialog
// describes them, and its painter, attached to the current cel on the same palette and
// captioned after it. Neither is shown yet; the painter closes and frees itself with the
// animation window, and the animation window when it is closed.
TfrmCharAnimation* MakeDocument(TDocumentHost& Host, QMdiArea& Area,
                                std::unique_ptr<TPxPalette> Palette, const QString& Caption,
                                int CelCount);
