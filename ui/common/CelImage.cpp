#include "ui/common/CelImage.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QList>
#include <QWidget>
#include <cstdint>
#include <map>
#include <string>

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

std::map<std::string, int>& Roles() {
    static std::map<std::string, int> Registered;
    return Registered;
}

QAccessibleInterface* RoleFactory(const QString& ClassName, QObject* Object) {
    if (!Object || !Object->isWidgetType()) return nullptr;
    const auto Found = Roles().find(ClassName.toStdString());
    if (Found == Roles().end()) return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(Object), QAccessible::Role(Found->second));
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

void RegisterAccessibleRole(const char* ClassName, int Role) {
    if (Roles().empty()) QAccessible::installFactory(RoleFactory);
    Roles()[ClassName] = Role;
}
