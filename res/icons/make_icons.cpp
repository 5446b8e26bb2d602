// Draws Tessaly's icons into PNG files: the application icon 128 (a folder whose tree branches
// into a flat row of files) at 16, 24, 32, 48, 64, 128 and 256 pixels, the picker's file icon 130
// and folder icon 131 at 16 and 32 pixels. Built on demand only:
//   cmake --build <build> --target tessaly_make_icons && <build>/res/tessaly_make_icons res/icons
// Small sizes have layouts of their own on whole pixels, so that every edge is crisp; 64 and up
// scale the 32-pixel layout by whole factors. res/icons/tessaly.svg is the same design by hand.
#include <QColor>
#include <QDir>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <initializer_list>

namespace {

// One palette for all three icons, so that the picker's icons match the application's.
const QColor kFolderLine(0x9a, 0x62, 0x00);
const QColor kFolderBack(0xe8, 0xa0, 0x20);
const QColor kFolderFront(0xff, 0xcc, 0x4d);
const QColor kTreeLine(0x4a, 0x5a, 0x70);
const QColor kPageLine(0x2a, 0x5d, 0xb0);
const QColor kPageFill(0xff, 0xff, 0xff);
const QColor kPageFold(0xb4, 0xcf, 0xf2);
const QColor kPageText(0x9c, 0xb6, 0xda);

// A shape outlined inside its bounds: the outer shape in the line colour, the shape inset by
// the line width over it in the fill colour. Filled shapes on whole pixels stay crisp.
void Outlined(QPainter& p, const QPainterPath& outer, const QPainterPath& inner, const QColor& fill,
              const QColor& stroke) {
    p.setPen(Qt::NoPen);
    p.setBrush(stroke);
    p.drawPath(outer);
    p.setBrush(fill);
    p.drawPath(inner);
}

void OutlinedRect(QPainter& p, const QRectF& r, double line, double radius, const QColor& fill,
                  const QColor& stroke) {
    QPainterPath outer;
    QPainterPath inner;
    const QRectF in = r.adjusted(line, line, -line, -line);
    if (radius > 0) {
        outer.addRoundedRect(r, radius, radius);
        inner.addRoundedRect(in, std::max(radius - line, 0.0), std::max(radius - line, 0.0));
    } else {
        outer.addRect(r);
        inner.addRect(in);
    }
    Outlined(p, outer, inner, fill, stroke);
}

QPainterPath Polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

// Lines of "text" on a page: their tops below the page's top, and their thickness (0: none).
struct TextLines {
    double y[3];
    double thickness;
};

// A page with its top right corner folded down by `fold`; a fold of 1 cuts that pixel away.
// `text`: optional lines of "text".
void Page(QPainter& p, const QRectF& r, double line, double fold, const TextLines* text) {
    const double L = r.left(), T = r.top(), R = r.right(), B = r.bottom(), l = line;
    if (fold < 2) {
        OutlinedRect(p, r, line, 0, kPageFill, kPageLine);
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.fillRect(QRectF(R - 1, T, 1, 1), Qt::transparent);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    } else {
        // The corner's diagonal runs from (R - fold, T) to (R, T + fold); the inner outline keeps
        // the line's width across it (sqrt 2 along each axis).
        const double d = l * 1.41421356;
        Outlined(p, Polygon({{L, T}, {R - fold, T}, {R, T + fold}, {R, B}, {L, B}}),
                 Polygon({{L + l, T + l}, {R - fold + l - d, T + l}, {R - l, T + fold - l + d},
                          {R - l, B - l}, {L + l, B - l}}),
                 kPageFill, kPageLine);
        // The folded-down ear: its face below the diagonal's line, then its two edges.
        p.setBrush(kPageFold);
        p.drawPath(Polygon({{R - fold, T + d}, {R - fold, T + fold}, {R - d, T + fold}}));
        p.setBrush(kPageLine);
        p.drawRect(QRectF(R - fold, T, l, fold));
        p.drawRect(QRectF(R - fold, T + fold - l, fold, l));
    }
    if (text != nullptr && text->thickness > 0) {
        // Three lines of "text" below the fold, the last one shorter.
        const double x0 = L + r.width() / 4;
        const double x1 = R - r.width() / 4;
        p.setPen(Qt::NoPen);
        p.setBrush(kPageText);
        for (int i = 0; i < 3; ++i) {
            const double right = i == 2 ? x0 + (x1 - x0) * 5 / 8 : x1;
            p.drawRect(QRectF(x0, T + text->y[i], right - x0, text->thickness));
        }
    }
}

// A folder: the back with its tab in the darker colour, the front flap lighter.
void Folder(QPainter& p, const QRectF& body, double tabW, double tabH, double line, double flap,
            double radius) {
    const QRectF tab(body.left(), body.top() - tabH, tabW, tabH + line + radius);
    OutlinedRect(p, tab, line, radius, kFolderBack, kFolderLine);
    OutlinedRect(p, body, line, radius, kFolderBack, kFolderLine);
    if (flap > 0) {
        const QRectF front(body.left(), body.top() + flap, body.width(), body.height() - flap);
        OutlinedRect(p, front, line, radius, kFolderFront, kFolderLine);
    } else {
        // Too small for a separate flap: a light body inside the outline.
        p.setPen(Qt::NoPen);
        p.setBrush(kFolderFront);
        p.drawRect(body.adjusted(line, line, -line, -line));
    }
}

// The application icon's layout on whole pixels of its own size.
struct AppLayout {
    int size;           // the image size the layout is drawn for
    QRectF folder;      // folder body
    double tabW, tabH;  // tab above the body's left part
    double flap;        // front flap offset below the body top; 0: none
    double trunkX, trunkW;
    double barX, barW, barY, barH;
    double fileY, fileW, fileH;
    double fileX[3];
    double fold;
    double line;
    double radius;
    TextLines text;
};

const AppLayout kApp16{16, {3, 2, 10, 4}, 4, 1, 0, 7, 2, 1, 14, 8, 1, 10, 4, 6, {0, 6, 12}, 1, 1, 0, {{0, 0, 0}, 0}};
const AppLayout kApp24{24, {6, 3, 12, 7}, 6, 2, 0, 11, 2, 2, 20, 12, 2, 16, 6, 8, {0, 9, 18}, 2, 1, 0, {{0, 0, 0}, 0}};
const AppLayout kApp32{32, {8, 4, 16, 9}, 7, 2, 2, 15, 2, 4, 24, 16, 2, 20, 8, 11, {1, 12, 23}, 3, 1, 0, {{4.5, 6.5, 8.5}, 0}};
const AppLayout kApp48{48, {12, 6, 24, 13}, 10, 3, 3, 22, 4, 5, 38, 24, 3, 30, 12, 16, {1, 18, 35}, 5, 2, 0, {{7, 9, 11}, 1}};

void DrawApp(QPainter& p, const AppLayout& l) {
    p.setPen(Qt::NoPen);
    p.setBrush(kTreeLine);
    // Trunk from the folder down to the bar, the bar, and one drop onto each file.
    const double folderBottom = l.folder.bottom();
    p.drawRect(QRectF(l.trunkX, folderBottom, l.trunkW, l.barY - folderBottom));
    p.drawRect(QRectF(l.barX, l.barY, l.barW, l.barH));
    for (double x : l.fileX) {
        const double centre = x + l.fileW / 2;
        const double dropX = centre - l.trunkW / 2;
        // Keep the drop inside the bar's span (the 16- and 24-pixel files are an even width).
        p.drawRect(QRectF(std::max(dropX, l.barX), l.barY + l.barH, l.trunkW, l.fileY - l.barY - l.barH));
    }
    Folder(p, l.folder, l.tabW, l.tabH, l.line, l.flap, l.radius);
    for (double x : l.fileX)
        Page(p, QRectF(x, l.fileY, l.fileW, l.fileH), l.line, l.fold, &l.text);
}

QImage NewImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage AppIcon(int size) {
    QImage image = NewImage(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    switch (size) {
    case 16: DrawApp(p, kApp16); break;
    case 24: DrawApp(p, kApp24); break;
    case 32: DrawApp(p, kApp32); break;
    case 48: DrawApp(p, kApp48); break;
    default: {
        // Whole multiples of the 32-pixel layout, with text lines and slightly rounded corners.
        const double k = size / 32.0;
        AppLayout l = kApp32;
        p.scale(k, k);
        l.text.thickness = 1;
        l.radius = 0.5;
        DrawApp(p, l);
        break;
    }
    }
    return image;
}

QImage FileIcon(int size) {
    QImage image = NewImage(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (size == 16) {
        Page(p, QRectF(2, 0, 12, 16), 1, 4, nullptr);
        p.setPen(Qt::NoPen);
        p.setBrush(kPageText);
        for (int y : {6, 8, 10, 12})
            p.drawRect(QRectF(4, y, y == 12 ? 5 : 8, 1));
    } else {
        p.scale(size / 32.0, size / 32.0);
        Page(p, QRectF(5, 1, 22, 30), 2, 10, nullptr);
        p.setPen(Qt::NoPen);
        p.setBrush(kPageText);
        for (int y : {14, 18, 22, 26})
            p.drawRect(QRectF(9, y, y == 26 ? 9 : 14, 2));
    }
    return image;
}

QImage FolderIcon(int size) {
    QImage image = NewImage(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (size == 16)
        Folder(p, QRectF(0, 3, 16, 12), 7, 2, 1, 3, 0);
    else {
        p.scale(size / 32.0, size / 32.0);
        Folder(p, QRectF(1, 7, 30, 22), 13, 4, 2, 5, 1);
    }
    return image;
}

bool Save(const QImage& image, const QString& folder, const QString& name) {
    const QString path = QDir(folder).filePath(name);
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
        return 1;
    }
    bool ok = true;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        ok = Save(AppIcon(size), folder, QStringLiteral("tessaly_%1.png").arg(size)) && ok;
    for (int size : {16, 32}) {
        ok = Save(FileIcon(size), folder, QStringLiteral("file_%1.png").arg(size)) && ok;
        ok = Save(FolderIcon(size), folder, QStringLiteral("folder_%1.png").arg(size)) && ok;
    }
    return ok ? 0 : 1;
}
