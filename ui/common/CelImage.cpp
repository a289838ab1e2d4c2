#include "ui/common/CelImage.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QList>
#include <QWidget>
#include <cstdint>

#include "imaging/ColorTable.h"
#include "imaging/PxBitmap.h"

namespace {

// Every cel of an animation shares its palette's table, and playback shows one cel after
// another, so the Qt colour table is made once per table rather than once per picture.
struct TQtTable {
    std::uint64_t Serial = 0;
    QList<QRgb> Colors;
};

const QList<QRgb>& QtColors(const TColorTable& Table) {
    static TQtTable Cached;
    if (Cached.Colors.isEmpty() || Cached.Serial != Table.Serial()) {
        Cached.Colors.resize(256);
        for (int i = 0; i < 256; ++i)
            Cached.Colors[i] = qRgb(Table[i].Red, Table[i].Green, Table[i].Blue);
        Cached.Serial = Table.Serial();
    }
    return Cached.Colors;
}

const char* const RoleProperty = "vimbrelAccessibleRole";

QAccessibleInterface* RoleFactory(const QString&, QObject* Object) {
    auto* Widget = qobject_cast<QWidget*>(Object);
    if (!Widget) return nullptr;
    const QVariant Role = Widget->property(RoleProperty);
    if (!Role.isValid()) return nullptr;
    return new QAccessibleWidget(Widget, QAccessible::Role(Role.toInt()));
}

} // namespace

QImage CelImage(const TPxBitmap& Bitmap) {
    // The writable-buffer constructor: a read-only one would make setColorTable copy the
    // pixels. Nothing draws into the image, so the bitmap's bytes stay as they are.
    QImage Image(const_cast<uchar*>(Bitmap.Bits()), Bitmap.Width(), Bitmap.Height(),
                 Bitmap.Stride(), QImage::Format_Indexed8);
    Image.setColorTable(QtColors(Bitmap.ColorTable()));
    return Image;
}

void SetAccessibleRole(QWidget& Widget, int Role) {
    static const bool Installed = [] {
        QAccessible::installFactory(RoleFactory);
        return true;
    }();
    (void)Installed;
    Widget.setProperty(RoleProperty, Role);
}
