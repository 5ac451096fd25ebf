// Draws the button images and the program icons of Korvex into a folder:
//   korvex_draw_images <folder>
// writes <folder>/images/*.bmp, <folder>/icons/*.png and the Windows icon
// <folder>/icons/korvex.ico (the same PNGs in one file). Everything is set
// pixel by pixel from fixed numbers, so two runs give the same files.
//
// Button images are 24-bit BMPs; the colour of the bottom-left pixel is the
// transparent colour (the window code masks it to the button face), so the
// motifs must not use that colour except where the face should show.
// The icons use only the 16 standard colours plus a transparent background.

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <QVector>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The 16 standard colours.
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kMaroon = qRgb(128, 0, 0);
const QRgb kGreen = qRgb(0, 128, 0);
const QRgb kOlive = qRgb(128, 128, 0);
const QRgb kNavy = qRgb(0, 0, 128);
const QRgb kPurple = qRgb(128, 0, 128);
const QRgb kTeal = qRgb(0, 128, 128);
const QRgb kGray = qRgb(128, 128, 128);
const QRgb kSilver = qRgb(192, 192, 192);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kLime = qRgb(0, 255, 0);
const QRgb kYellow = qRgb(255, 255, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kFuchsia = qRgb(255, 0, 255);
const QRgb kAqua = qRgb(0, 255, 255);
const QRgb kWhite = qRgb(255, 255, 255);

const QRgb kPaleYellow = qRgb(255, 255, 192);  // floppy label only

// A small pixel canvas: every call sets whole pixels, nothing is blended.
class Canvas {
public:
    Canvas(int w, int h, QRgb background) : img_(w, h, QImage::Format_RGB32) { img_.fill(background); }

    void px(int x, int y, QRgb c) {
        if (x >= 0 && y >= 0 && x < img_.width() && y < img_.height()) img_.setPixel(x, y, c);
    }
    // Inclusive corners, like on squared paper.
    void fill(int x0, int y0, int x1, int y1, QRgb c) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) px(x, y, c);
    }
    void hline(int x0, int x1, int y, QRgb c) { fill(x0, y, x1, y, c); }
    void vline(int x, int y0, int y1, QRgb c) { fill(x, y0, x, y1, c); }
    void frame(int x0, int y0, int x1, int y1, QRgb c) {
        hline(x0, x1, y0, c);
        hline(x0, x1, y1, c);
        vline(x0, y0, y1, c);
        vline(x1, y0, y1, c);
    }
    const QImage& image() const { return img_; }

private:
    QImage img_;
};

bool saveBmp(const Canvas& c, const QString& path) {
    // RGB888 makes the BMP writer store 24 bits per pixel.
    const QImage out = c.image().convertToFormat(QImage::Format_RGB888);
    return out.save(path, "BMP");
}

// ---------------------------------------------------------------- buttons

// The document shared by "open" and "close": a page with text lines lying on
// a black square.
void drawDocument(Canvas& c) {
    c.fill(2, 2, 13, 13, kBlack);
    // Page with a folded top-right corner; the cut-away corner shows the face.
    const int l = 6, t = 5, r = 18, b = 20, f = 4;
    c.fill(l, t, r, b, kWhite);
    for (int y = t; y <= t + f; ++y)
        for (int x = r - f; x <= r; ++x)
            if (x - (r - f) > y - t) c.px(x, y, kGray);
    c.hline(l, r - f, t, kBlack);
    c.vline(l, t, b, kBlack);
    c.hline(l, r, b, kBlack);
    c.vline(r, t + f, b, kBlack);
    for (int i = 0; i <= f; ++i) c.px(r - f + i, t + i, kBlack);  // fold edge
    c.vline(r - f, t, t + f, kBlack);
    c.hline(r - f, r, t + f, kBlack);
    // Text lines.
    const int lines[][2] = {{8, 13}, {8, 16}, {8, 15}, {8, 16}, {8, 12}};
    for (int i = 0; i < 5; ++i) c.hline(lines[i][0], lines[i][1], t + 6 + 2 * i, kNavy);
}

void drawCross(Canvas& c) {
    // Two strokes, two pixels wide, corner to corner.
    for (int i = 0; i <= 16; ++i) {
        c.px(2 + i, 3 + i, kRed);
        c.px(3 + i, 3 + i, kRed);
        c.px(19 - i, 3 + i, kRed);
        c.px(18 - i, 3 + i, kRed);
    }
}

void drawFloppy(Canvas& c, bool withLines) {
    // Body, with the cut corner at the top right.
    c.fill(2, 2, 19, 20, kBlack);
    c.hline(18, 19, 2, kWhite);
    c.px(19, 3, kWhite);
    // Label.
    c.fill(5, 2, 16, 10, kPaleYellow);
    if (withLines) {
        c.hline(7, 14, 5, kNavy);
        c.hline(7, 14, 8, kNavy);
    }
    // Shutter with its window.
    c.fill(6, 14, 15, 20, kSilver);
    c.fill(12, 15, 13, 19, kBlack);
    // Hub hole marks.
    c.px(3, 19, kSilver);
    c.px(18, 19, kSilver);
}

void drawPrinter(Canvas& c) {
    // Sheet coming out of the top; white is the face, the outline carries it.
    c.frame(7, 2, 19, 12, kBlack);
    for (int i = 0; i < 4; ++i) c.hline(9, i % 2 ? 15 : 17, 4 + 2 * i, kBlack);
    // Body.
    c.fill(2, 12, 24, 22, kSilver);
    c.frame(2, 12, 24, 22, kBlack);
    c.hline(5, 21, 12, kBlack);
    c.hline(5, 21, 14, kGray);  // paper slot
    // Front strip with the lamps.
    c.hline(3, 23, 18, kGray);
    c.fill(3, 19, 23, 21, kGray);
    c.fill(19, 16, 20, 16, kLime);
    c.fill(22, 16, 23, 16, kLime);
    // Feet.
    c.fill(3, 23, 5, 24, kBlack);
    c.fill(21, 23, 23, 24, kBlack);
}

void drawLetterF(Canvas& c, int x, int y, QRgb col) {
    c.fill(x, y, x + 2, y + 18, col);           // stem
    c.fill(x, y, x + 11, y + 2, col);           // top bar
    c.fill(x, y + 8, x + 8, y + 10, col);       // middle bar
    c.fill(x - 2, y + 18, x + 4, y + 18, col);  // foot serif
    c.vline(x + 11, y + 3, y + 4, col);         // top serif
}

void drawFontLetters(Canvas& c) {
    drawLetterF(c, 4, 2, kBlue);
    drawLetterF(c, 12, 6, kGreen);
}

// ---------------------------------------------------------------- icons

// The program icon: a sheet with text lines and a pencil across it. It is
// described on a 16-unit grid and sampled at each pixel centre, so every
// size shows the same shapes and 16×16 lands exactly on the grid.
struct Ink {
    bool set = false;
    QRgb c = 0;
};

Ink iconAt(double x, double y, double unit) {
    // unit: how many grid units one pixel covers; outlines are one pixel at
    // small sizes and grow slowly at large ones.
    const double line = std::max(unit, 0.5);
    Ink ink;
    auto put = [&](QRgb c) {
        ink.set = true;
        ink.c = c;
    };

    // Sheet 1..12 × 1..15 with a fold of 4 at the top right.
    const double sl = 1, st = 1, sr = 12, sb = 15, fold = 4;
    if (x >= sl && x < sr && y >= st && y < sb) {
        const double fx = x - (sr - fold), fy = y - st;  // position in the fold square
        const bool inFoldSquare = fx >= 0 && fy < fold;
        if (inFoldSquare && fx > fy + line) {
            // cut-away corner stays transparent
        } else if (inFoldSquare && fx > fy) {
            put(kBlack);  // diagonal fold edge
        } else if (inFoldSquare && (fx < line || fy >= fold - line)) {
            put(kBlack);
        } else if (inFoldSquare) {
            put(kSilver);  // back of the folded corner
        } else if (x < sl + line || x >= sr - line || y < st + line || y >= sb - line) {
            put(kBlack);
        } else {
            put(kWhite);
            // Text lines every two units from y=4 on.
            const double lineEnds[] = {7, 9.5, 8.5, 10, 7.5, 9.5};
            for (int i = 0; i < 6; ++i) {
                const double ly = 4 + 2 * i;
                if (y >= ly && y < ly + 1 && x >= 3 && x < lineEnds[i]) put(kNavy);
            }
        }
    }

    // Pencil lying from the top right down to the bottom left, over the sheet.
    // u runs along the pencil from the tip, v across it.
    const double tipX = 5.5, tipY = 14.5, endX = 15.5, endY = 4.5;
    const double len = std::hypot(endX - tipX, endY - tipY);
    const double ax = (endX - tipX) / len, ay = (endY - tipY) / len;
    const double px = x - tipX, py = y - tipY;
    const double u = px * ax + py * ay;
    const double v = -px * ay + py * ax;
    const double half = 2.0;  // half width of the pencil body
    // At 16 pixels a metal band would be a lone dot: the eraser sits on the wood.
    const double wood = 3.2, eraser = len - std::max(1.6, 2.6 * unit), ferrule = unit < 1 ? len - 3.0 : eraser;
    if (u >= 0 && u <= len) {
        // The sharpened end narrows linearly from the body to the point.
        const double w = u < wood ? half * u / wood : half;
        if (std::abs(v) <= w) {
            const bool edge = std::abs(v) > w - line * 1.1 || u > len - line;
            if (u < 1.2) put(kBlack);  // lead
            else if (u < wood) put(edge ? kBlack : kOlive);
            else if (edge) put(kBlack);
            else if (u >= eraser) put(kRed);
            else if (u >= ferrule) put(kSilver);
            else put(v < 0 ? kYellow : kOlive);  // lit side and shaded side
        }
    }
    return ink;
}

QImage drawIcon(int size) {
    QVector<QRgb> palette = {kBlack,           kMaroon, kGreen, kOlive,  kNavy, kPurple,  kTeal, kGray,
                             kSilver,          kRed,    kLime,  kYellow, kBlue, kFuchsia, kAqua, kWhite,
                             qRgba(0, 0, 0, 0)};
    QImage img(size, size, QImage::Format_Indexed8);
    img.setColorTable(palette);
    const double unit = 16.0 / size;
    for (int j = 0; j < size; ++j) {
        for (int i = 0; i < size; ++i) {
            const Ink ink = iconAt((i + 0.5) * unit, (j + 0.5) * unit, unit);
            int index = 16;
            if (ink.set) index = static_cast<int>(palette.indexOf(ink.c));
            img.setPixel(i, j, static_cast<uint>(index));
        }
    }
    return img;
}

QByteArray pngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void appendLittleEndian(QByteArray& out, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// An .ico file of PNG images (read by Windows since Vista): a header, one
// 16-byte entry per image (a width of 256 is written as 0), then the images.
QByteArray icoFile(const QList<QByteArray>& pngs, const QList<int>& sizes) {
    QByteArray out;
    appendLittleEndian(out, 0, 2);  // reserved
    appendLittleEndian(out, 1, 2);  // icon
    appendLittleEndian(out, static_cast<quint32>(pngs.size()), 2);
    quint32 offset = 6 + 16 * static_cast<quint32>(pngs.size());
    for (qsizetype i = 0; i < pngs.size(); ++i) {
        const auto side = static_cast<quint32>(sizes[i] % 256);
        appendLittleEndian(out, side, 1);
        appendLittleEndian(out, side, 1);
        appendLittleEndian(out, 0, 1);   // no palette
        appendLittleEndian(out, 0, 1);   // reserved
        appendLittleEndian(out, 1, 2);   // planes
        appendLittleEndian(out, 32, 2);  // bits per pixel
        appendLittleEndian(out, static_cast<quint32>(pngs[i].size()), 4);
        appendLittleEndian(out, offset, 4);
        offset += static_cast<quint32>(pngs[i].size());
    }
    for (const QByteArray& png : pngs) out += png;
    return out;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: korvex_draw_images <resources folder>\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    if (!root.mkpath("images") || !root.mkpath("icons")) {
        std::fprintf(stderr, "cannot create the folders below %s\n", argv[1]);
        return 1;
    }
    bool ok = true;
    auto image = [&](const char* name, const Canvas& c) {
        const QString path = root.filePath(QString("images/%1.bmp").arg(name));
        if (!saveBmp(c, path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            ok = false;
        }
    };

    {
        Canvas c(22, 23, kGray);
        drawDocument(c);
        drawCross(c);
        image("schliessen", c);
    }
    {
        Canvas c(22, 23, kGray);
        drawDocument(c);
        image("oeffnen", c);
    }
    {
        Canvas c(22, 23, kWhite);
        drawFloppy(c, false);
        image("speichern", c);
    }
    {
        Canvas c(22, 23, kWhite);
        drawFloppy(c, true);
        image("speichernunter", c);
    }
    {
        Canvas c(27, 27, kWhite);
        drawPrinter(c);
        image("drucken", c);
    }
    {
        Canvas c(27, 27, kWhite);
        drawFontLetters(c);
        image("schrift", c);
    }

    const QList<int> sizes = {16, 32, 48, 256};
    QList<QByteArray> pngs;
    for (int size : sizes) {
        pngs.append(pngBytes(drawIcon(size)));
        const QString path = root.filePath(QString("icons/korvex%1.png").arg(size));
        if (!writeFile(path, pngs.last())) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            ok = false;
        }
    }
    const QString ico = root.filePath("icons/korvex.ico");
    if (!writeFile(ico, icoFile(pngs, sizes))) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(ico));
        ok = false;
    }
    return ok ? 0 : 1;
}
