// Draws every bitmap that Bravant, Pennant and Kestrel ship, and the resource
// list that makes them loadable as ":/bitmap/<name>".
//
//   draw_art <bitmap-dir> <ssurf.png>       draw everything (ssurf.png is turned
//                                          into ssurf.gif by build_art.sh)
//   draw_art --sheet <bitmap-dir> <out.png> contact sheets of the written files
//                                          (<out>-1.png, <out>-2.png, ...)
//
// The programs paint a bitmap with the colour of its bottom-left pixel made
// transparent. Every picture that is not a plain rectangle is therefore drawn
// on a transparent canvas and flattened onto the magenta key; half-covered
// edge pixels are blended with the colour the picture will be shown on (the
// "matte"), so no pink fringe is left once the key is taken out.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <unordered_map>
#include <vector>

namespace tendrel::art {

// ---------------------------------------------------------------- colours

constexpr QRgb kKey = 0xFFFF00FFu;  // magenta: never used by the artwork itself

namespace ink {
// Bravant / Tillon: warm teal and gold.
const QColor tealDeep(0x0A, 0x4A, 0x50);
const QColor teal(0x12, 0x7A, 0x80);
const QColor tealMid(0x2E, 0x95, 0x96);
const QColor tealLight(0x8F, 0xCF, 0xC8);
const QColor tealInk(0x10, 0x45, 0x4A);
const QColor gold(0xE0, 0xA8, 0x2E);
const QColor goldLight(0xF8, 0xD9, 0x7A);
const QColor goldDark(0x9A, 0x66, 0x0A);
const QColor cream(0xFF, 0xF6, 0xE0);
const QColor coral(0xD9, 0x5B, 0x43);
const QColor paper(0xFF, 0xFF, 0xFB);
// Pennant: navy and signal orange.
const QColor navy(0x1B, 0x3A, 0x6B);
const QColor navyLight(0x2C, 0x64, 0xA8);
const QColor orange(0xF2, 0x6A, 0x2E);
const QColor orangeDark(0xB8, 0x3A, 0x14);
// Kestrel: sky blue and safe green.
const QColor sky(0xD4, 0xEC, 0xF9);
const QColor skyDeep(0x2A, 0x6F, 0xAE);
const QColor green(0x3D, 0xAA, 0x5C);
const QColor greenDark(0x1B, 0x6B, 0x35);
const QColor slate(0x26, 0x36, 0x45);
// Window face the pictures sit on (Qt's default light palette).
const QColor face(0xEF, 0xEF, 0xEF);
}  // namespace ink

// ---------------------------------------------------------------- fonts

const char* const kSans = "DejaVu Sans";
const char* const kSerif = "DejaVu Serif";

bool loadFonts() {
    const char* files[] = {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSerif.ttf",
                           "DejaVuSerif-Bold.ttf"};
    for (const char* f : files) {
        const QString path = QStringLiteral("/usr/share/fonts/truetype/dejavu/") + f;
        if (QFontDatabase::addApplicationFont(path) < 0) {
            std::fprintf(stderr, "draw_art: cannot load %s (apt-get install fonts-dejavu-core)\n",
                         qPrintable(path));
            return false;
        }
    }
    return true;
}

QFont font(const char* family, int px, bool bold) {
    QFont f{QString::fromLatin1(family)};
    f.setPixelSize(px);
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    f.setHintingPreference(QFont::PreferVerticalHinting);
    return f;
}

// The largest size not above px at which text fits into width.
QFont fitted(const char* family, int px, bool bold, const QString& text, double width) {
    QFont f = font(family, px, bold);
    while (px > 6 && QFontMetricsF(f).horizontalAdvance(text) > width) f.setPixelSize(--px);
    return f;
}

void text(QPainter& p, const QRectF& r, const QString& s, const QFont& f, const QColor& c,
          int flags = Qt::AlignCenter) {
    p.save();
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, flags, s);
    p.restore();
}

// Light text on a gradient reads better with a faint dark copy one pixel down.
void shadowText(QPainter& p, const QRectF& r, const QString& s, const QFont& f, const QColor& c,
                int alpha = 90, int flags = Qt::AlignCenter) {
    text(p, r.translated(0, 1), s, f, QColor(0, 0, 0, alpha), flags);
    text(p, r, s, f, c, flags);
}

// Text as an outline, centred on a point; used inside scaled icons.
QPainterPath textPath(const QString& s, const QFont& f, QPointF centre) {
    QPainterPath path;
    path.addText(0, 0, f, s);
    path.translate(centre - path.boundingRect().center());
    return path;
}

// ---------------------------------------------------------------- canvas

struct Canvas {
    QImage image;
    QPainter p;
    Canvas(int w, int h) : image(w, h, QImage::Format_ARGB32_Premultiplied) {
        image.fill(Qt::transparent);
        p.begin(&image);
        p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                         QPainter::SmoothPixmapTransform);
    }
    QImage done() {
        p.end();
        return image;
    }
};

// Icons are drawn in a 100 by 100 box that is mapped onto the target rectangle.
struct Unit {
    QPainter& p;
    Unit(QPainter& painter, const QRectF& r) : p(painter) {
        p.save();
        p.translate(r.topLeft());
        p.scale(r.width() / 100.0, r.height() / 100.0);
    }
    ~Unit() { p.restore(); }
    Unit(const Unit&) = delete;
    Unit& operator=(const Unit&) = delete;
};

QPen pen(const QColor& c, double w) { return QPen(QBrush(c), w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

QLinearGradient vgrad(double y0, double y1, const QColor& a, const QColor& b) {
    QLinearGradient g(QPointF(0, y0), QPointF(0, y1));
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

QLinearGradient dgrad(QPointF from, QPointF to, const QColor& a, const QColor& b) {
    QLinearGradient g(from, to);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

QColor alpha(QColor c, int a) {
    c.setAlpha(a);
    return c;
}

// Flattens a premultiplied canvas onto the key: nearly empty pixels become the
// key, the rest are composed over the matte.
QImage flatten(const QImage& src, const QColor& matte) {
    QImage out(src.size(), QImage::Format_RGB32);
    for (int y = 0; y < src.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const QRgb px = in[x];
            const int a = qAlpha(px);
            if (a < 24) {
                o[x] = kKey;
                continue;
            }
            const int k = 255 - a;
            QRgb c = qRgb(std::min(255, qRed(px) + (matte.red() * k + 127) / 255),
                          std::min(255, qGreen(px) + (matte.green() * k + 127) / 255),
                          std::min(255, qBlue(px) + (matte.blue() * k + 127) / 255));
            if (c == kKey) c = qRgb(255, 1, 255);
            o[x] = c;
        }
    }
    return out;
}

// An opaque picture: whatever was drawn, on the given background.
QImage opaque(const QImage& src, const QColor& background) {
    QImage out(src.size(), QImage::Format_RGB32);
    out.fill(background);
    QPainter p(&out);
    p.drawImage(0, 0, src);
    return out;
}

// ---------------------------------------------------------------- palettes

int dist2(QRgb a, QRgb b) {
    const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
    return 2 * dr * dr + 4 * dg * dg + 3 * db * db;
}

// Median cut over the non-key colours; the key keeps a palette entry of its own
// so that no picture pixel can turn transparent.
QVector<QRgb> medianCut(const QImage& img, int colours) {
    std::unordered_map<QRgb, int> histogram;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y) | 0xFF000000u;
            if (c != kKey) ++histogram[c];
        }
    struct Entry {
        QRgb c;
        int n;
    };
    using Box = std::vector<Entry>;
    std::vector<Box> boxes(1);
    for (const auto& [c, n] : histogram) boxes[0].push_back({c, n});
    if (boxes[0].empty()) return {};
    // Hash order is not stable from run to run; the written files should be.
    std::sort(boxes[0].begin(), boxes[0].end(), [](const Entry& l, const Entry& r) { return l.c < r.c; });
    auto channel = [](QRgb c, int ch) { return ch == 0 ? qRed(c) : ch == 1 ? qGreen(c) : qBlue(c); };
    auto spread = [&](const Box& b, int& widest) {
        double best = -1;
        for (int ch = 0; ch < 3; ++ch) {
            double sum = 0, sq = 0, n = 0;
            for (const Entry& e : b) {
                const double v = channel(e.c, ch);
                sum += v * e.n;
                sq += v * v * e.n;
                n += e.n;
            }
            const double sse = sq - sum * sum / n;
            if (sse > best) best = sse, widest = ch;
        }
        return best;
    };
    while (static_cast<int>(boxes.size()) < colours) {
        int pick = -1, pickChannel = 0;
        double pickSpread = 0;
        for (int i = 0; i < static_cast<int>(boxes.size()); ++i) {
            if (boxes[i].size() < 2) continue;
            int ch = 0;
            const double s = spread(boxes[i], ch);
            if (s > pickSpread) pickSpread = s, pick = i, pickChannel = ch;
        }
        if (pick < 0) break;
        Box& b = boxes[pick];
        std::stable_sort(b.begin(), b.end(), [&](const Entry& l, const Entry& r) {
            return channel(l.c, pickChannel) < channel(r.c, pickChannel);
        });
        long total = 0;
        for (const Entry& e : b) total += e.n;
        long run = 0;
        size_t cut = 1;
        for (size_t i = 0; i + 1 < b.size(); ++i) {
            run += b[i].n;
            cut = i + 1;
            if (run * 2 >= total) break;
        }
        Box upper(b.begin() + static_cast<long>(cut), b.end());
        b.resize(cut);
        boxes.push_back(std::move(upper));
    }
    QVector<QRgb> palette;
    for (const Box& b : boxes) {
        double r = 0, g = 0, bl = 0, n = 0;
        for (const Entry& e : b) {
            r += qRed(e.c) * double(e.n);
            g += qGreen(e.c) * double(e.n);
            bl += qBlue(e.c) * double(e.n);
            n += e.n;
        }
        QRgb c = qRgb(int(std::lround(r / n)), int(std::lround(g / n)), int(std::lround(bl / n)));
        if (c == kKey) c = qRgb(255, 1, 255);
        palette.push_back(c);
    }
    return palette;
}

// Maps an RGB picture onto a palette (key pixels onto keyIndex) with
// Floyd-Steinberg dithering; the key neither gives nor takes error.
QImage mapToPalette(const QImage& img, const QVector<QRgb>& palette, int keyIndex, bool dither,
                    const std::function<int(int, int, int)>& nearest) {
    const int w = img.width(), h = img.height();
    QImage out(w, h, QImage::Format_Indexed8);
    std::memset(out.bits(), 0, static_cast<size_t>(out.sizeInBytes()));  // row padding too: the BMP writer copies it
    out.setColorTable(palette);
    std::vector<float> err(static_cast<size_t>(3 * (w + 2) * 2), 0.f);
    auto row = [&](int r) { return err.data() + static_cast<size_t>((r & 1) * 3 * (w + 2)); };
    for (int y = 0; y < h; ++y) {
        float* cur = row(y);
        float* next = row(y + 1);
        std::fill(next, next + 3 * (w + 2), 0.f);
        uchar* o = out.scanLine(y);
        for (int x = 0; x < w; ++x) {
            const QRgb c = img.pixel(x, y) | 0xFF000000u;
            if (c == kKey && keyIndex >= 0) {
                o[x] = static_cast<uchar>(keyIndex);
                continue;
            }
            float* e = cur + 3 * (x + 1);
            const int r = std::clamp(int(std::lround(qRed(c) + (dither ? e[0] : 0))), 0, 255);
            const int g = std::clamp(int(std::lround(qGreen(c) + (dither ? e[1] : 0))), 0, 255);
            const int b = std::clamp(int(std::lround(qBlue(c) + (dither ? e[2] : 0))), 0, 255);
            const int i = nearest(r, g, b);
            o[x] = static_cast<uchar>(i);
            if (!dither) continue;
            const float d[3] = {float(r - qRed(palette[i])), float(g - qGreen(palette[i])),
                                float(b - qBlue(palette[i]))};
            auto keyAt = [&](int xx, int yy) {
                return xx < 0 || xx >= w || yy >= h || (img.pixel(xx, yy) | 0xFF000000u) == kKey;
            };
            for (int ch = 0; ch < 3; ++ch) {
                if (!keyAt(x + 1, y)) cur[3 * (x + 2) + ch] += d[ch] * 7 / 16;
                if (!keyAt(x - 1, y + 1)) next[3 * x + ch] += d[ch] * 3 / 16;
                if (!keyAt(x, y + 1)) next[3 * (x + 1) + ch] += d[ch] * 5 / 16;
                if (!keyAt(x + 1, y + 1)) next[3 * (x + 2) + ch] += d[ch] * 1 / 16;
            }
        }
    }
    return out;
}

// 8-bit copy with the picture's own palette of up to 255 colours plus the key.
QImage indexed(const QImage& img, bool keyed) {
    std::unordered_map<QRgb, int> seen;
    for (int y = 0; y < img.height() && seen.size() <= 256; ++y)
        for (int x = 0; x < img.width(); ++x) seen.emplace(img.pixel(x, y) | 0xFF000000u, 0);
    const bool exact = seen.size() <= 256;
    QVector<QRgb> palette = medianCut(img, keyed ? 255 : 256);
    int keyIndex = -1;
    if (keyed) {
        keyIndex = static_cast<int>(palette.size());
        palette.push_back(kKey);
    }
    const int searchable = keyed ? keyIndex : static_cast<int>(palette.size());
    std::unordered_map<QRgb, int> cache;
    auto nearest = [&](int r, int g, int b) {
        const QRgb c = qRgb(r, g, b);
        if (auto it = cache.find(c); it != cache.end()) return it->second;
        int best = 0, bestD = INT32_MAX;
        for (int i = 0; i < searchable; ++i) {
            const int d = dist2(c, palette[i]);
            if (d < bestD) bestD = d, best = i;
        }
        cache.emplace(c, best);
        return best;
    };
    return mapToPalette(img, palette, keyIndex, !exact, nearest);
}

// For screens of 8 bits per pixel: greys only, plus the key.
QImage greyVersion(const QImage& img) {
    constexpr int kLevels = 64;
    QVector<QRgb> palette;
    for (int i = 0; i < kLevels; ++i) {
        const int v = i * 255 / (kLevels - 1);
        palette.push_back(qRgb(v, v, v));
    }
    palette.push_back(kKey);
    auto nearest = [&](int r, int g, int b) {
        const int v = (r * 299 + g * 587 + b * 114 + 500) / 1000;
        return (v * (kLevels - 1) + 127) / 255;
    };
    return mapToPalette(img, palette, kLevels, false, nearest);
}

// For screens of 8 bits per pixel: the 216-colour cube every browser of the
// time could show, dithered. Magenta is in the cube and is left to the key.
QImage cubeVersion(const QImage& img) {
    QVector<QRgb> palette;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) palette.push_back(qRgb(r * 51, g * 51, b * 51));
    const int keyIndex = 5 * 36 + 0 * 6 + 5;
    auto nearest = [&](int r, int g, int b) {
        const int ri = (r + 25) / 51, gi = (g + 25) / 51, bi = (b + 25) / 51;
        const int i = ri * 36 + gi * 6 + bi;
        return i == keyIndex ? keyIndex + 6 : i;  // (255, 51, 255) instead
    };
    return mapToPalette(img, palette, keyIndex, true, nearest);
}

// ---------------------------------------------------------------- the register

enum class Store { Indexed, Palette256 };

struct Picture {
    QString name;
    QImage image;  // RGB32, or already indexed
    bool keyed;    // bottom-left pixel is the transparent key
    Store store;
    QString use;
};

std::vector<Picture>& pictures() {
    static std::vector<Picture> all;
    return all;
}

void add(const QString& name, const QImage& image, bool keyed, const QString& use) {
    // Stored with a palette of the picture's own 255 colours: a third of the
    // size of 24 bits, with no visible loss.
    pictures().push_back({name, image, keyed, Store::Indexed, use});
}

// ---------------------------------------------------------------- icons
// Each draws into r, in a 100 by 100 unit box.

void coin(QPainter& p, const QRectF& r) {
    Unit u(p, r);
    QRadialGradient g(QPointF(38, 32), 72);
    g.setColorAt(0, QColor(0xFF, 0xEC, 0xA8));
    g.setColorAt(0.55, ink::gold);
    g.setColorAt(1, QColor(0xB8, 0x7C, 0x12));
    p.setPen(pen(ink::goldDark, 5));
    p.setBrush(g);
    p.drawEllipse(QPointF(50, 50), 45, 45);
    p.setPen(pen(QColor(255, 246, 214, 190), 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(50, 50), 35, 35);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x7A, 0x4E, 0x06));
    p.drawPath(textPath(QStringLiteral("T"), font(kSerif, 56, true), QPointF(50, 51)));
}

// The Salebox: a gift box; with detail, a price tag hangs from its lid.
void saleBox(QPainter& p, const QRectF& r, bool detail) {
    Unit u(p, r);
    p.setPen(pen(ink::tealInk, 4));
    // bow
    p.setBrush(ink::goldLight);
    p.drawEllipse(QRectF(26, 8, 24, 18));
    p.drawEllipse(QRectF(50, 8, 24, 18));
    // body and lid
    p.setBrush(dgrad({14, 40}, {86, 92}, ink::tealMid, ink::tealDeep));
    p.drawRoundedRect(QRectF(16, 40, 68, 52), 4, 4);
    p.setBrush(vgrad(24, 42, ink::tealLight, ink::teal));
    p.drawRoundedRect(QRectF(8, 24, 84, 18), 4, 4);
    // ribbon
    p.setPen(Qt::NoPen);
    p.setBrush(ink::gold);
    p.drawRect(QRectF(43, 26, 14, 14));
    p.drawRect(QRectF(43, 42, 14, 48));
    p.setPen(pen(ink::tealInk, 4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(16, 40, 68, 52), 4, 4);
    p.drawRoundedRect(QRectF(8, 24, 84, 18), 4, 4);
    if (!detail) return;
    // tag on a string from the lid's corner
    p.setPen(pen(ink::goldDark, 2));
    p.drawLine(QPointF(86, 34), QPointF(92, 52));
    p.save();
    p.translate(92, 52);
    p.rotate(18);
    QPainterPath tag;
    tag.moveTo(0, 0);
    tag.lineTo(9, 8);
    tag.lineTo(9, 34);
    tag.lineTo(-9, 34);
    tag.lineTo(-9, 8);
    tag.closeSubpath();
    p.setPen(pen(ink::goldDark, 2.5));
    p.setBrush(ink::cream);
    p.drawPath(tag);
    p.setPen(Qt::NoPen);
    p.setBrush(ink::goldDark);
    p.drawPath(textPath(QString(QChar(0x00A2)), font(kSans, 20, true), QPointF(0, 22)));
    p.restore();
}

void cloudUp(QPainter& p, const QRectF& r) {
    Unit u(p, r);
    QPainterPath cloud;
    cloud.addEllipse(QRectF(6, 30, 40, 40));
    cloud.addEllipse(QRectF(30, 10, 46, 46));
    cloud.addEllipse(QRectF(60, 32, 36, 36));
    cloud.addRoundedRect(QRectF(12, 44, 80, 28), 14, 14);
    cloud.setFillRule(Qt::WindingFill);
    cloud = cloud.simplified();
    p.setPen(pen(ink::tealInk, 4));
    p.setBrush(vgrad(10, 72, ink::paper, ink::tealLight));
    p.drawPath(cloud);
    QPolygonF arrow;
    arrow << QPointF(41, 96) << QPointF(59, 96) << QPointF(59, 66) << QPointF(73, 66)
          << QPointF(50, 40) << QPointF(27, 66) << QPointF(41, 66);
    p.setPen(pen(ink::goldDark, 4));
    p.setBrush(vgrad(40, 96, ink::goldLight, ink::gold));
    p.drawPolygon(arrow);
}

// Small form of the Publish emblem: an arrow leaving a tray.
void uploadTray(QPainter& p, const QRectF& r) {
    Unit u(p, r);
    QPainterPath tray;
    tray.moveTo(10, 60);
    tray.lineTo(10, 90);
    tray.lineTo(90, 90);
    tray.lineTo(90, 60);
    p.setPen(pen(ink::tealInk, 12));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tray);
    QPolygonF arrow;
    arrow << QPointF(38, 76) << QPointF(62, 76) << QPointF(62, 42) << QPointF(82, 42) << QPointF(50, 6)
          << QPointF(18, 42) << QPointF(38, 42);
    p.setPen(pen(ink::goldDark, 6));
    p.setBrush(vgrad(6, 76, ink::goldLight, ink::gold));
    p.drawPolygon(arrow);
}

// A web page taking a Salebox in.
void pageOut(QPainter& p, const QRectF& r) {
    Unit u(p, r);
    p.setPen(pen(ink::tealInk, 4));
    p.setBrush(ink::paper);
    p.drawRoundedRect(QRectF(6, 10, 88, 82), 6, 6);
    p.setBrush(ink::teal);
    p.drawRoundedRect(QRectF(6, 10, 88, 18), 6, 6);
    p.setPen(Qt::NoPen);
    p.setBrush(ink::cream);
    for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(17 + i * 10, 19), 3.5, 3.5);
    p.setPen(pen(ink::tealLight, 5));
    p.drawLine(QPointF(16, 40), QPointF(84, 40));
    p.drawLine(QPointF(16, 52), QPointF(46, 52));
    p.drawLine(QPointF(16, 64), QPointF(46, 64));
    p.drawLine(QPointF(16, 76), QPointF(40, 76));
    p.setPen(pen(ink::goldDark, 3.5));
    p.setBrush(vgrad(52, 84, ink::goldLight, ink::gold));
    p.drawRoundedRect(QRectF(54, 50, 30, 32), 3, 3);
    p.drawLine(QPointF(69, 50), QPointF(69, 82));
    p.setPen(pen(ink::tealInk, 4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(6, 10, 88, 82), 6, 6);
}

void personPlus(QPainter& p, const QRectF& r) {
    Unit u(p, r);
    p.setPen(pen(ink::tealInk, 4));
    p.setBrush(dgrad({10, 50}, {70, 96}, ink::tealMid, ink::tealDeep));
    QPainterPath body;
    body.addRoundedRect(QRectF(10, 56, 62, 50), 28, 28);
    QPainterPath clip;
    clip.addRect(QRectF(0, 0, 100, 94));
    p.drawPath(body.intersected(clip));
    p.setBrush(vgrad(12, 50, ink::tealLight, ink::teal));
    p.drawEllipse(QPointF(41, 32), 19, 19);
    p.setPen(pen(ink::goldDark, 4));
    p.setBrush(vgrad(54, 96, ink::goldLight, ink::gold));
    p.drawEllipse(QPointF(76, 72), 20, 20);
    p.setPen(pen(Qt::white, 7));
    p.drawLine(QPointF(76, 62), QPointF(76, 82));
    p.drawLine(QPointF(66, 72), QPointF(86, 72));
}

QPainterPath pageShape() {
    QPainterPath page;
    page.moveTo(18, 5);
    page.lineTo(64, 5);
    page.lineTo(84, 25);
    page.lineTo(84, 95);
    page.lineTo(18, 95);
    page.closeSubpath();
    return page;
}

void pageWithFold(QPainter& p) {
    p.setPen(pen(ink::tealInk, 4));
    p.setBrush(vgrad(5, 95, ink::paper, ink::cream));
    p.drawPath(pageShape());
    QPolygonF fold;
    fold << QPointF(64, 5) << QPointF(64, 25) << QPointF(84, 25);
    p.setBrush(ink::tealLight);
    p.drawPolygon(fold);
}

void docText(QPainter& p, const QRectF& r) {
    Unit u(p, r);
    pageWithFold(p);
    p.setPen(pen(ink::teal, 5));
    for (int i = 0; i < 5; ++i) p.drawLine(QPointF(30, 40 + i * 11), QPointF(i == 4 ? 56 : 72, 40 + i * 11));
}

void docImage(QPainter& p, const QRectF& r) {
    Unit u(p, r);
    const QRectF frame(6, 14, 88, 72);
    p.setPen(Qt::NoPen);
    p.setBrush(vgrad(14, 86, QColor(0xCF, 0xEB, 0xF7), QColor(0x7F, 0xC0, 0xE6)));
    p.drawRoundedRect(frame, 6, 6);
    p.save();
    QPainterPath clip;
    clip.addRoundedRect(frame, 6, 6);
    p.setClipPath(clip);
    p.setBrush(ink::gold);
    p.drawEllipse(QPointF(70, 34), 10, 10);
    QPolygonF back;
    back << QPointF(6, 88) << QPointF(36, 46) << QPointF(58, 74) << QPointF(70, 60) << QPointF(96, 88);
    p.setBrush(vgrad(46, 88, ink::tealMid, ink::tealDeep));
    p.drawPolygon(back);
    p.restore();
    p.setPen(pen(ink::tealInk, 4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(frame, 6, 6);
}

void docHtml(QPainter& p, const QRectF& r) {
    Unit u(p, r);
    pageWithFold(p);
    p.setPen(Qt::NoPen);
    p.setBrush(ink::teal);
    p.drawPath(textPath(QStringLiteral("</>"), font(kSans, 30, true), QPointF(51, 56)));
    p.setPen(pen(ink::gold, 5));
    p.drawLine(QPointF(30, 80), QPointF(72, 80));
}

void folderOpen(QPainter& p, const QRectF& r) {
    Unit u(p, r);
    QPainterPath back;
    back.moveTo(6, 18);
    back.lineTo(38, 18);
    back.lineTo(46, 28);
    back.lineTo(90, 28);
    back.lineTo(90, 86);
    back.lineTo(6, 86);
    back.closeSubpath();
    p.setPen(pen(QColor(0x7A, 0x50, 0x08), 6));
    p.setBrush(QColor(0xD4, 0x95, 0x1E));
    p.drawPath(back);
    QPolygonF front;
    front << QPointF(18, 44) << QPointF(98, 44) << QPointF(86, 86) << QPointF(6, 86);
    p.setBrush(vgrad(44, 86, QColor(0xFF, 0xE4, 0x94), QColor(0xF0, 0xB8, 0x40)));
    p.drawPolygon(front);
}

void storefront(QPainter& p, const QRectF& r) {
    Unit u(p, r);
    p.setPen(pen(ink::tealInk, 4));
    p.setBrush(ink::paper);
    p.drawRect(QRectF(14, 38, 72, 54));
    p.setBrush(vgrad(52, 92, ink::tealLight, ink::teal));
    p.drawRect(QRectF(22, 54, 22, 38));
    p.setBrush(QColor(0xCF, 0xEB, 0xF7));
    p.drawRect(QRectF(52, 54, 26, 20));
    // striped awning with a scalloped edge
    QPainterPath awning;
    awning.moveTo(10, 12);
    awning.lineTo(90, 12);
    awning.lineTo(92, 34);
    for (int i = 4; i >= 0; --i) {
        const double x0 = 8 + i * 16.8, x1 = x0 + 16.8;
        awning.quadTo((x0 + x1) / 2, 46, x0, 34);
    }
    awning.closeSubpath();
    p.save();
    p.setClipPath(awning);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {
        p.setBrush(i % 2 ? ink::cream : ink::coral);
        p.drawRect(QRectF(8 + i * 16.8, 0, 16.8, 50));
    }
    p.restore();
    p.setPen(pen(ink::tealInk, 3.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(awning);
}

void mapPin(QPainter& p, const QRectF& r) {
    Unit u(p, r);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 50));
    p.drawEllipse(QPointF(50, 92), 20, 5);
    QPainterPath pin;
    pin.addEllipse(QPointF(50, 38), 28, 28);
    QPolygonF point;
    point << QPointF(26, 52) << QPointF(74, 52) << QPointF(50, 92);
    pin.addPolygon(point);
    pin.setFillRule(Qt::WindingFill);
    pin = pin.simplified();
    p.setPen(pen(QColor(0x8A, 0x2E, 0x1E), 4));
    p.setBrush(dgrad({30, 14}, {70, 90}, QColor(0xF0, 0x85, 0x6A), ink::coral));
    p.drawPath(pin);
    p.setBrush(ink::paper);
    p.drawEllipse(QPointF(50, 38), 11, 11);
}

void envelopeAt(QPainter& p, const QRectF& r) {
    Unit u(p, r);
    p.setPen(pen(ink::tealInk, 4));
    p.setBrush(ink::paper);
    p.drawRoundedRect(QRectF(6, 22, 76, 54), 4, 4);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF() << QPointF(8, 25) << QPointF(44, 54) << QPointF(80, 25));
    p.setPen(pen(ink::goldDark, 4));
    p.setBrush(vgrad(54, 96, ink::goldLight, ink::gold));
    p.drawEllipse(QPointF(74, 74), 22, 22);
    p.setPen(Qt::NoPen);
    p.setBrush(ink::tealInk);
    p.drawPath(textPath(QStringLiteral("@"), font(kSans, 32, true), QPointF(74, 75)));
}

void creditCard(QPainter& p, const QRectF& r) {
    Unit u(p, r);
    const QRectF card(4, 20, 92, 60);
    p.setPen(pen(ink::tealInk, 4));
    p.setBrush(dgrad({4, 20}, {96, 80}, ink::tealMid, ink::tealDeep));
    p.drawRoundedRect(card, 8, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(ink::tealInk);
    p.drawRect(QRectF(6, 30, 88, 10));
    p.setPen(pen(ink::goldDark, 2));
    p.setBrush(vgrad(46, 62, ink::goldLight, ink::gold));
    p.drawRoundedRect(QRectF(14, 46, 20, 15), 3, 3);
    p.drawLine(QPointF(14, 53.5), QPointF(34, 53.5));
    p.drawLine(QPointF(24, 46), QPointF(24, 61));
    p.setPen(Qt::NoPen);
    p.setBrush(ink::cream);
    for (int g = 0; g < 4; ++g)
        for (int d = 0; d < 3; ++d) p.drawEllipse(QPointF(16 + g * 21 + d * 5.5, 70), 2.2, 2.2);
}

void padlock(QPainter& p, const QRectF& r) {
    Unit u(p, r);
    QPainterPath shackle;
    shackle.moveTo(32, 48);
    shackle.lineTo(32, 32);
    shackle.arcTo(QRectF(32, 12, 36, 40), 180, -180);
    shackle.lineTo(68, 48);
    p.setPen(pen(ink::tealInk, 14));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shackle);
    p.setPen(pen(QColor(0x9F, 0xB7, 0xBA), 7));
    p.drawPath(shackle);
    p.setPen(pen(ink::goldDark, 4));
    p.setBrush(dgrad({20, 44}, {80, 94}, ink::goldLight, ink::gold));
    p.drawRoundedRect(QRectF(18, 44, 64, 50), 7, 7);
    p.setPen(Qt::NoPen);
    p.setBrush(ink::tealInk);
    p.drawEllipse(QPointF(50, 63), 7, 7);
    p.drawRoundedRect(QRectF(46.5, 64, 7, 18), 2, 2);
}

void shield(QPainter& p, const QRectF& r) {
    Unit u(p, r);
    QPainterPath s;
    s.moveTo(50, 4);
    s.cubicTo(64, 12, 78, 15, 90, 15);
    s.lineTo(90, 44);
    s.cubicTo(90, 70, 72, 88, 50, 97);
    s.cubicTo(28, 88, 10, 70, 10, 44);
    s.lineTo(10, 15);
    s.cubicTo(22, 15, 36, 12, 50, 4);
    s.closeSubpath();
    p.setPen(pen(ink::greenDark, 5));
    p.setBrush(dgrad({20, 10}, {80, 95}, QColor(0x6C, 0xCB, 0x82), ink::greenDark));
    p.drawPath(s);
    p.setPen(pen(Qt::white, 11));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF() << QPointF(30, 50) << QPointF(45, 65) << QPointF(71, 35));
}

// A hovering falcon seen from below: pointed wings, fanned tail.
void falcon(QPainter& p, const QRectF& r, const QColor& c) {
    Unit u(p, r);
    QPainterPath half;
    half.moveTo(50, 10);
    half.cubicTo(55, 10, 57, 15, 56, 22);  // head
    half.cubicTo(62, 26, 66, 24, 74, 18);  // shoulder, wing raised
    half.cubicTo(84, 12, 92, 16, 99, 34);  // leading edge to the pointed tip
    half.cubicTo(88, 32, 80, 36, 72, 42);  // trailing edge, swept back
    half.cubicTo(66, 46, 60, 48, 57, 52);
    half.cubicTo(58, 62, 61, 74, 63, 86);  // tail, fanned
    half.cubicTo(58, 90, 54, 91, 50, 91);
    half.closeSubpath();
    QPainterPath bird = half;
    QTransform mirror(-1, 0, 0, 1, 100, 0);
    bird.addPath(mirror.map(half));
    bird.setFillRule(Qt::WindingFill);
    p.setPen(pen(c, 1.5));
    p.setBrush(c);
    p.drawPath(bird.simplified());
}

void pennantFlag(QPainter& p, const QRectF& r) {
    Unit u(p, r);
    p.setPen(pen(QColor(0x2A, 0x2F, 0x36), 5));
    p.drawLine(QPointF(16, 12), QPointF(16, 96));
    p.setPen(Qt::NoPen);
    p.setBrush(ink::goldLight);
    p.drawEllipse(QPointF(16, 8), 6, 6);
    QPainterPath flag;
    flag.moveTo(18, 14);
    flag.cubicTo(40, 8, 62, 26, 94, 30);
    flag.cubicTo(62, 38, 42, 52, 18, 54);
    flag.closeSubpath();
    p.setPen(pen(ink::orangeDark, 3));
    p.setBrush(dgrad({18, 14}, {94, 40}, QColor(0xFF, 0x9A, 0x4E), ink::orange));
    p.drawPath(flag);
    p.setPen(pen(QColor(255, 255, 255, 150), 3));
    p.drawLine(QPointF(24, 26), QPointF(56, 28));
}

void waves(QPainter& p, QPointF c, double startDeg, double spanDeg, std::initializer_list<double> radii,
           const QColor& colour, double width) {
    p.setPen(pen(colour, width));
    p.setBrush(Qt::NoBrush);
    for (double rr : radii)
        p.drawArc(QRectF(c.x() - rr, c.y() - rr, 2 * rr, 2 * rr), int(startDeg * 16), int(spanDeg * 16));
}

void globe(QPainter& p, const QRectF& r) {
    Unit u(p, r);
    QRadialGradient g(QPointF(38, 36), 66);
    g.setColorAt(0, QColor(0x9C, 0xD2, 0xF7));
    g.setColorAt(1, QColor(0x1F, 0x5F, 0xA8));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QPointF(50, 50), 44, 44);
    p.save();
    QPainterPath clip;
    clip.addEllipse(QPointF(50, 50), 44, 44);
    p.setClipPath(clip);
    p.setPen(pen(QColor(255, 255, 255, 210), 3.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(50, 50), 18, 44);
    p.drawLine(QPointF(50, 4), QPointF(50, 96));
    p.drawLine(QPointF(4, 50), QPointF(96, 50));
    p.drawArc(QRectF(8, -10, 84, 50), 200 * 16, 140 * 16);
    p.drawArc(QRectF(8, 60, 84, 50), 20 * 16, 140 * 16);
    p.restore();
    p.setPen(pen(QColor(0x17, 0x45, 0x7A), 4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(50, 50), 44, 44);
}

// A desk screen running a news ticker.
void tickerScreen(QPainter& p, const QRectF& r) {
    Unit u(p, r);
    p.setPen(pen(QColor(0x10, 0x1A, 0x26), 4));
    p.setBrush(QColor(0x3A, 0x46, 0x55));
    p.drawRoundedRect(QRectF(4, 8, 92, 66), 6, 6);
    p.setBrush(vgrad(16, 66, QColor(0x1C, 0x3F, 0x78), QColor(0x0E, 0x1E, 0x3C)));
    p.drawRect(QRectF(12, 16, 76, 50));
    p.setPen(Qt::NoPen);
    const QColor bars[] = {QColor(0x7F, 0xD3, 0xF0), ink::orange, QColor(0xF2, 0xF2, 0xF2), ink::goldLight};
    const double lens[] = {52, 38, 60, 30};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(bars[i]);
        p.drawRoundedRect(QRectF(18, 22 + i * 10.5, lens[i], 6), 2, 2);
    }
    p.setPen(pen(QColor(0x10, 0x1A, 0x26), 4));
    p.setBrush(QColor(0x6A, 0x76, 0x85));
    p.drawRect(QRectF(42, 74, 16, 12));
    p.drawRoundedRect(QRectF(24, 86, 52, 8), 3, 3);
}

void dish(QPainter& p, const QRectF& r) {
    Unit u(p, r);
    p.setPen(pen(QColor(0x2A, 0x2F, 0x36), 5));
    p.drawLine(QPointF(44, 66), QPointF(44, 92));
    p.drawLine(QPointF(28, 94), QPointF(60, 94));
    p.save();
    p.translate(44, 56);
    p.rotate(-35);
    QPainterPath bowl;
    bowl.moveTo(-38, -6);
    bowl.cubicTo(-38, 32, 38, 32, 38, -6);
    bowl.closeSubpath();
    p.setPen(pen(QColor(0x2A, 0x3A, 0x4E), 4));
    p.setBrush(vgrad(-6, 24, QColor(0xFA, 0xFC, 0xFF), QColor(0x9D, 0xB2, 0xC8)));
    p.drawPath(bowl);
    p.drawLine(QPointF(0, 18), QPointF(0, -30));
    p.setBrush(ink::orange);
    p.drawEllipse(QPointF(0, -32), 6, 6);
    p.restore();
    waves(p, QPointF(62, 28), -10, 100, {12, 22, 32}, ink::orange, 4.5);
}

void tower(QPainter& p, const QRectF& r) {
    Unit u(p, r);
    p.setPen(pen(QColor(0x2A, 0x2F, 0x36), 4.5));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(50, 26), QPointF(32, 94));
    p.drawLine(QPointF(50, 26), QPointF(68, 94));
    p.drawLine(QPointF(41, 60), QPointF(59, 60));
    p.drawLine(QPointF(36, 78), QPointF(64, 78));
    p.drawLine(QPointF(41, 60), QPointF(64, 78));
    p.drawLine(QPointF(59, 60), QPointF(36, 78));
    p.drawLine(QPointF(26, 94), QPointF(74, 94));
    waves(p, QPointF(50, 22), -40, 80, {16, 28}, ink::orange, 5);
    waves(p, QPointF(50, 22), 140, 80, {16, 28}, ink::orange, 5);
    p.setPen(pen(ink::orangeDark, 3));
    p.setBrush(ink::orange);
    p.drawEllipse(QPointF(50, 22), 7, 7);
}

// ---------------------------------------------------------------- shared frames

// A rounded panel with a vertical gradient; its corners stay transparent.
void panel(QPainter& p, const QRectF& r, double radius, const QColor& top, const QColor& bottom,
           const QColor& border) {
    p.setPen(QPen(border, 1));
    p.setBrush(vgrad(r.top(), r.bottom(), top, bottom));
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

// Bravant's section pictures (88 by 120): a cream well for the picture, the
// section's name below it. The Join and Publish overlays sit on the well with
// their top left corner at (12, 16).
constexpr QPointF kWellCentre(44, 48);
constexpr double kWellRadius = 38;

void sectionFrame(QPainter& p, const QString& caption) {
    panel(p, QRectF(0, 0, 88, 120), 8, ink::teal, ink::tealDeep, QColor(0x08, 0x3A, 0x40));
    p.setPen(QPen(ink::gold, 2));
    p.setBrush(ink::cream);
    p.drawEllipse(kWellCentre, kWellRadius, kWellRadius);
    shadowText(p, QRectF(0, 90, 88, 24), caption, fitted(kSans, 13, true, caption, 82), ink::cream);
}

// ---------------------------------------------------------------- Bravant

using IconFn = std::function<void(QPainter&, const QRectF&)>;

QImage barGlyph(const IconFn& icon, const QString& word) {
    Canvas c(88, 20);
    icon(c.p, QRectF(2, 1, 18, 18));
    text(c.p, QRectF(24, 0, 64, 20), word, fitted(kSans, 14, true, word, 63), ink::tealInk,
         Qt::AlignVCenter | Qt::AlignLeft);
    return flatten(c.done(), ink::face);
}

QImage kindGlyph(const IconFn& icon, const QString& word) {
    Canvas c(52, 50);
    icon(c.p, QRectF(10, 1, 32, 32));
    text(c.p, QRectF(0, 34, 52, 15), word, fitted(kSans, 11, true, word, 50), ink::tealInk);
    return flatten(c.done(), ink::face);
}

QImage sidePicture(const IconFn& icon, const QString& title, int step) {
    Canvas c(100, 280);
    QPainter& p = c.p;
    panel(p, QRectF(0, 0, 100, 280), 8, ink::teal, ink::tealDeep, QColor(0x08, 0x3A, 0x40));
    // a faint coin watermark low on the panel
    p.setPen(QPen(QColor(255, 246, 224, 22), 6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(86, 252), 40, 40);
    p.drawEllipse(QPointF(86, 252), 26, 26);
    // the section's emblem
    p.setPen(QPen(ink::gold, 2));
    p.setBrush(ink::cream);
    p.drawEllipse(QPointF(50, 52), 36, 36);
    icon(p, QRectF(26, 28, 48, 48));
    shadowText(p, QRectF(0, 94, 100, 26), title, fitted(kSans, 17, true, title, 94), ink::cream);
    p.setPen(QPen(ink::gold, 2));
    p.drawLine(QPointF(24, 126), QPointF(76, 126));
    // the road of a Salebox, this section lit
    const QString road[] = {QStringLiteral("Join"), QStringLiteral("Create"), QStringLiteral("Publish"),
                            QStringLiteral("Output")};
    const double x = 22;
    p.setPen(QPen(QColor(255, 246, 224, 90), 2));
    p.drawLine(QPointF(x, 146), QPointF(x, 146 + 3 * 26));
    for (int i = 0; i < 4; ++i) {
        const double y = 146 + i * 26;
        const bool lit = i == step;
        p.setPen(QPen(lit ? ink::goldDark : QColor(255, 246, 224, 170), 1.5));
        p.setBrush(lit ? ink::gold : ink::tealDeep);
        p.drawEllipse(QPointF(x, y), 9, 9);
        text(p, QRectF(x - 9, y - 9, 18, 18), QString::number(i + 1), font(kSans, 11, true),
             lit ? ink::tealInk : QColor(255, 246, 224, 200));
        text(p, QRectF(x + 15, y - 10, 100 - x - 15, 20), road[i], font(kSans, 12, lit),
             lit ? ink::goldLight : QColor(255, 246, 224, 190), Qt::AlignVCenter | Qt::AlignLeft);
    }
    return flatten(c.done(), ink::face);
}

void drawBravant() {
    const IconFn box = [](QPainter& p, const QRectF& r) { saleBox(p, r, false); };
    const IconFn boxTag = [](QPainter& p, const QRectF& r) { saleBox(p, r, true); };
    add("makesalebox", barGlyph(box, "Create"), true, "Create button glyph (95x25 button)");
    add("publish", barGlyph(uploadTray, "Publish"), true, "Publish button glyph (95x25 button)");
    add("output", barGlyph(pageOut, "Output"), true, "Output button glyph (95x25 button)");
    add("jointillon", barGlyph(personPlus, "Join"), true, "Join button glyph (95x25 button)");

    add("inserttext", kindGlyph(docText, "Text"), true, "Create wizard: text kind button glyph");
    add("insertimage", kindGlyph(docImage, "Image"), true, "Create wizard: image kind button glyph");
    add("inserthtml", kindGlyph(docHtml, "HTML"), true, "Create wizard: HTML kind button glyph");

    add("sidecreate", sidePicture(boxTag, "Create", 1), true, "Create page side picture");
    add("sidepublish", sidePicture(cloudUp, "Publish", 2), true, "Publish page side picture");
    add("sidesend", sidePicture(pageOut, "Output", 3), true, "Output page side picture");
    add("sidejoin", sidePicture(personPlus, "Join", 0), true, "Join page side picture");

    auto section = [](const IconFn& icon, const QString& caption) {
        Canvas c(88, 120);
        sectionFrame(c.p, caption);
        if (icon) icon(c.p, QRectF(kWellCentre.x() - 25, kWellCentre.y() - 25, 50, 50));
        return flatten(c.done(), ink::face);
    };
    add("textwizard", section(docText, "Text"), true, "Create wizard picture, text kind");
    add("imagewizard", section(docImage, "Image"), true, "Create wizard picture, image kind");
    add("linkwizard", section(docHtml, "HTML"), true, "Create wizard picture, HTML kind");
    add("uploadwiz", section(cloudUp, "Publish"), true, "Publish wizard section picture");
    {
        // The Join background: an empty well with a faint ring, so that the
        // page without an overlay still looks finished.
        Canvas c(88, 120);
        sectionFrame(c.p, "Join Tillon");
        c.p.setPen(QPen(alpha(ink::gold, 70), 3));
        c.p.setBrush(Qt::NoBrush);
        c.p.drawEllipse(kWellCentre, 24, 24);
        add("regwizback", flatten(c.done(), ink::face), true, "Join wizard background picture");
    }

    // Overlays: 64 by 64, a cream disc (the well's colour) with the emblem.
    auto overlay = [](const IconFn& icon, double inset) {
        Canvas c(64, 64);
        c.p.setPen(Qt::NoPen);
        c.p.setBrush(ink::cream);
        c.p.drawEllipse(QPointF(32, 32), 31.5, 31.5);
        icon(c.p, QRectF(inset, inset, 64 - 2 * inset, 64 - 2 * inset));
        return flatten(c.done(), ink::cream);
    };
    add("regwiztillon", overlay(coin, 10), true, "Join overlay: start and vendor ID pages");
    add("regwizcategory", overlay(storefront, 11), true, "Join overlay: category page");
    add("regwizlocation", overlay(mapPin, 11), true, "Join overlay: address page");
    add("regwizcontact", overlay(envelopeAt, 11), true, "Join overlay: phone/fax/e-mail page");
    add("regwizcreditcard", overlay(creditCard, 9), true, "Join overlay: credit card page");
    add("regwizpassword", overlay(padlock, 11), true, "Join overlay: password page");

    {
        // Finishing picture of the Publish wizard, 65 by 64, shown in front
        // of the section picture's well on the last page.
        Canvas c(65, 64);
        QPainter& p = c.p;
        p.setPen(Qt::NoPen);
        p.setBrush(ink::cream);
        p.drawEllipse(QPointF(32.5, 32), 31.5, 31.5);
        p.setPen(QPen(ink::goldDark, 2));
        p.setBrush(vgrad(4, 60, ink::goldLight, ink::gold));
        p.drawEllipse(QPointF(32.5, 32), 28, 28);
        p.setPen(QPen(QColor(0x14, 0x5E, 0x2E), 1.5));
        p.setBrush(vgrad(8, 56, QColor(0x52, 0xC2, 0x6E), QColor(0x1E, 0x7F, 0x3C)));
        p.drawEllipse(QPointF(32.5, 32), 23, 23);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPath(textPath(QStringLiteral("GO"), font(kSans, 19, true), QPointF(32.5, 27)));
        QPolygonF arrow;
        arrow << QPointF(20, 40) << QPointF(38, 40) << QPointF(38, 36) << QPointF(46, 42.5)
              << QPointF(38, 49) << QPointF(38, 45) << QPointF(20, 45);
        p.drawPolygon(arrow);
        add("uploadwizgo", flatten(c.done(), ink::cream), true, "Publish wizard finishing picture");
    }

    {
        // Create wizard start: the three kinds of content go into a Salebox;
        // the arrow points at the kind buttons on the left.
        Canvas c(180, 140);
        QPainter& p = c.p;
        QPolygonF arrow;
        arrow << QPointF(4, 70) << QPointF(34, 44) << QPointF(34, 60) << QPointF(58, 60)
              << QPointF(58, 80) << QPointF(34, 80) << QPointF(34, 96);
        p.setPen(pen(ink::goldDark, 2));
        p.setBrush(dgrad({4, 44}, {58, 96}, ink::goldLight, ink::gold));
        p.drawPolygon(arrow);
        p.save();
        p.translate(78, 10);
        p.rotate(-12);
        docText(p, QRectF(0, 0, 40, 40));
        p.restore();
        docImage(p, QRectF(106, 0, 42, 42));
        p.save();
        p.translate(138, 12);
        p.rotate(12);
        docHtml(p, QRectF(0, 0, 40, 40));
        p.restore();
        p.setPen(pen(alpha(ink::teal, 150), 2));
        p.drawLine(QPointF(104, 52), QPointF(112, 64));
        p.drawLine(QPointF(127, 48), QPointF(127, 62));
        p.drawLine(QPointF(150, 52), QPointF(142, 64));
        saleBox(p, QRectF(76, 62, 100, 76), true);
        add("createstart", flatten(c.done(), ink::face), true, "Create wizard start picture");
    }

    {
        Canvas c(100, 27);
        // The wordmark on a gold rule; the bar is too short for an emblem beside it.
        const QString name = QStringLiteral("Bravant");
        text(c.p, QRectF(0, 0, 100, 23), name, fitted(kSerif, 22, true, name, 96), ink::tealInk);
        c.p.setPen(Qt::NoPen);
        c.p.setBrush(dgrad({4, 0}, {96, 0}, ink::gold, ink::goldLight));
        c.p.drawRoundedRect(QRectF(4, 23, 92, 2.5), 1.2, 1.2);
        add("bravantlogo", flatten(c.done(), ink::face), true, "button bar logo, right end");
    }
    {
        Canvas c(76, 24);
        c.p.setPen(QPen(ink::goldDark, 1));
        c.p.setBrush(vgrad(0, 24, ink::paper, ink::cream));
        c.p.drawRoundedRect(QRectF(0.5, 0.5, 75, 23), 6, 6);
        coin(c.p, QRectF(4, 3, 18, 18));
        const QString name = QStringLiteral("Tillon");
        text(c.p, QRectF(25, 0, 49, 24), name, fitted(kSans, 14, true, name, 48), ink::tealInk,
             Qt::AlignVCenter | Qt::AlignLeft);
        add("littletillon", flatten(c.done(), ink::face), true, "small service logo on the active page");
    }
    {
        // The preview maker's tile: opaque, 34 by 34, covers half the teaser.
        Canvas c(34, 34);
        QPainter& p = c.p;
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(QRect(0, 0, 34, 34), dgrad({0, 0}, {34, 34}, ink::tealMid, ink::tealDeep));
        p.setPen(ink::tealLight);
        p.drawLine(0, 0, 33, 0);
        p.drawLine(0, 0, 0, 33);
        p.setPen(QColor(0x06, 0x30, 0x34));
        p.drawLine(1, 33, 33, 33);
        p.drawLine(33, 1, 33, 33);
        p.setRenderHint(QPainter::Antialiasing, true);
        coin(p, QRectF(7, 7, 20, 20));
        QImage tile = opaque(c.done(), ink::tealDeep);
        pictures().push_back({"previewtile", tile, false, Store::Palette256,
                              "preview image maker tile (imgTile), 256-colour palette"});
    }
    {
        Canvas c(16, 16);
        folderOpen(c.p, QRectF(0, 0, 16, 16));
        add("OPENFILE", flatten(c.done(), ink::face), true, "browse button glyph (24 px wide button)");
    }
}

// ---------------------------------------------------------------- Pennant

QImage headerBadge(const IconFn& icon, const QString& label) {
    Canvas c(64, 52);
    icon(c.p, QRectF(16, 0, 32, 32));
    text(c.p, QRectF(0, 34, 64, 17), label, fitted(kSans, 11, true, label, 62), ink::navy);
    return flatten(c.done(), ink::face);
}

QImage pennantWizard() {
    Canvas c(120, 232);
    QPainter& p = c.p;
    panel(p, QRectF(0, 0, 120, 232), 8, ink::navy, ink::navyLight, QColor(0x12, 0x28, 0x4C));
    // a soft glow behind the flag
    QRadialGradient glow(QPointF(60, 58), 56);
    glow.setColorAt(0, QColor(255, 255, 255, 60));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(60, 58), 56, 56);
    pennantFlag(p, QRectF(14, 16, 84, 92));
    waves(p, QPointF(94, 44), -50, 100, {8, 15}, QColor(255, 255, 255, 190), 2.2);
    shadowText(p, QRectF(0, 116, 120, 26), QStringLiteral("Pennant"), font(kSans, 21, true), Qt::white);
    text(p, QRectF(0, 142, 120, 16), QStringLiteral("Channel Wizard"), font(kSans, 11, false),
         QColor(0xD6, 0xE4, 0xF6));
    // what the program makes: an "Add Channel" button
    p.setPen(QPen(ink::orangeDark, 1));
    p.setBrush(vgrad(176, 200, QColor(0xFF, 0x9A, 0x4E), ink::orange));
    p.drawRoundedRect(QRectF(14.5, 176.5, 91, 24), 5, 5);
    const QString add = QStringLiteral("+ Add Channel");
    shadowText(p, QRectF(14, 176, 92, 25), add, fitted(kSans, 11, true, add, 86), Qt::white, 80);
    // three small viewers under it
    const IconFn icons[] = {globe, tickerScreen, dish};
    for (int i = 0; i < 3; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 200));
        p.drawEllipse(QPointF(32 + i * 28, 214), 11, 11);
        icons[i](p, QRectF(32 + i * 28 - 8, 206, 16, 16));
    }
    return flatten(c.done(), ink::face);
}

QImage mark(bool tick) {
    Canvas c(16, 16);
    QPainter& p = c.p;
    if (tick) {
        p.setPen(pen(QColor(0x1E, 0x8A, 0x34), 3));
        p.drawPolyline(QPolygonF() << QPointF(3, 8.5) << QPointF(6.5, 12) << QPointF(13, 4));
    } else {
        p.setPen(pen(QColor(0xC8, 0x2A, 0x1E), 3));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
    }
    return flatten(c.done(), ink::face);
}

void drawPennant() {
    const QImage wizard = pennantWizard();
    add("wizardColor", wizard, true, "Pennant wizard picture, screens above 8 bits");
    pictures().push_back({"wizardGrey", greyVersion(wizard), true, Store::Indexed,
                          "Pennant wizard picture, 8-bit screens (greys)"});
    add("Tick", mark(true), true, "viewer toggle, selected (in a 20x20 lowered panel)");
    add("Cross", mark(false), true, "viewer toggle, not selected (in a 20x20 lowered panel)");
    add("IEUP", headerBadge(globe, "IE"), true, "Internet Explorer page header picture");
    add("PCUP", headerBadge(tickerScreen, "PointCast"), true, "PointCast page header picture");
    add("NetscapeUp", headerBadge(dish, "Netcaster"), true, "Netcaster page header picture");
    add("CommonUP", headerBadge(tower, "Common"), true, "common properties page header picture");
}

// ---------------------------------------------------------------- Kestrel

QImage kestrelWizard() {
    Canvas c(120, 232);
    QPainter& p = c.p;
    panel(p, QRectF(0, 0, 120, 232), 8, ink::sky, ink::skyDeep, QColor(0x1F, 0x55, 0x88));
    // sun and the bird above the page
    QRadialGradient sun(QPointF(26, 30), 22);
    sun.setColorAt(0, QColor(255, 244, 200, 230));
    sun.setColorAt(1, QColor(255, 244, 200, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sun);
    p.drawEllipse(QPointF(26, 30), 22, 22);
    falcon(p, QRectF(46, 8, 66, 54), ink::slate);
    shield(p, QRectF(30, 62, 60, 70));
    // a rating slider, 0 to 9
    const double x0 = 16, x1 = 104, y = 150;
    p.setPen(QPen(QColor(255, 255, 255, 210), 1.2));
    for (int i = 0; i < 10; ++i) {
        const double x = x0 + i * (x1 - x0) / 9;
        p.drawLine(QPointF(x, y + 6), QPointF(x, y + 10));
    }
    p.setPen(QPen(QColor(0x1A, 0x4A, 0x78), 1));
    p.setBrush(QColor(0xE8, 0xF2, 0xFA));
    p.drawRoundedRect(QRectF(x0 - 2, y - 2.5, x1 - x0 + 4, 5), 2.5, 2.5);
    const double kx = x0 + 3 * (x1 - x0) / 9;
    QPolygonF knob;
    knob << QPointF(kx - 5, y - 8) << QPointF(kx + 5, y - 8) << QPointF(kx + 5, y + 3) << QPointF(kx, y + 8)
         << QPointF(kx - 5, y + 3);
    p.setPen(QPen(ink::goldDark, 1));
    p.setBrush(vgrad(y - 8, y + 8, ink::goldLight, ink::gold));
    p.drawPolygon(knob);
    text(p, QRectF(x0 - 8, y + 9, 16, 12), QStringLiteral("0"), font(kSans, 9, true), Qt::white);
    text(p, QRectF(x1 - 8, y + 9, 16, 12), QStringLiteral("9"), font(kSans, 9, true), Qt::white);
    shadowText(p, QRectF(0, 178, 120, 26), QStringLiteral("Kestrel"), font(kSans, 21, true), Qt::white, 110);
    text(p, QRectF(0, 204, 120, 16), QStringLiteral("Page Rating Wizard"),
         fitted(kSans, 11, false, QStringLiteral("Page Rating Wizard"), 112), QColor(0xE6, 0xF2, 0xFB));
    return flatten(c.done(), ink::face);
}

// The logo that goes on a rated page: a plain 88 by 31 web badge.
QImage safeSurfBadge() {
    Canvas c(88, 31);
    QPainter& p = c.p;
    p.setPen(QPen(ink::greenDark, 1));
    p.setBrush(vgrad(0, 31, Qt::white, QColor(0xE9, 0xF6, 0xEC)));
    p.drawRect(QRectF(0.5, 0.5, 87, 30));
    shield(p, QRectF(3, 3, 24, 25));
    const QString name = QStringLiteral("SafeSurf");
    text(p, QRectF(29, 1, 57, 17), name, fitted(kSans, 14, true, name, 56), ink::greenDark,
         Qt::AlignVCenter | Qt::AlignHCenter);
    text(p, QRectF(29, 17, 57, 12), QStringLiteral("RATED SITE"), font(kSans, 8, true),
         QColor(0x2A, 0x5C, 0x8C), Qt::AlignVCenter | Qt::AlignHCenter);
    return opaque(c.done(), Qt::white);
}

void drawKestrel() {
    const QImage wizard = kestrelWizard();
    add("FULLWIZ", wizard, true, "Kestrel wizard picture, screens above 8 bits");
    pictures().push_back({"STDWIZ", cubeVersion(wizard), true, Store::Indexed,
                          "Kestrel wizard picture, 8-bit screens (216-colour cube)"});
}

// ---------------------------------------------------------------- output

QImage stored(const Picture& pic) {
    if (pic.image.format() == QImage::Format_Indexed8) return pic.image;
    switch (pic.store) {
    case Store::Indexed:
        return indexed(pic.image, pic.keyed);
    case Store::Palette256: {
        QImage img = indexed(pic.image, false);
        QVector<QRgb> table = img.colorTable();
        for (int i = static_cast<int>(table.size()); i < 256; ++i) table.push_back(qRgb(i, i, i));
        img.setColorTable(table);
        return img;
    }
    }
    return pic.image;
}

bool writeAll(const QString& dir, const QString& badgePng) {
    QDir().mkpath(dir);
    bool ok = true;
    for (const Picture& pic : pictures()) {
        const QImage img = stored(pic);
        if (pic.keyed && (img.pixel(0, img.height() - 1) | 0xFF000000u) != kKey) {
            std::fprintf(stderr, "draw_art: %s: bottom-left pixel is not the key\n", qPrintable(pic.name));
            ok = false;
        }
        const QString path = dir + "/" + pic.name + ".bmp";
        if (!img.save(path, "BMP")) {
            std::fprintf(stderr, "draw_art: cannot write %s\n", qPrintable(path));
            ok = false;
            continue;
        }
        std::printf("%-18s %3dx%-3d %s  %s\n", qPrintable(pic.name), img.width(), img.height(),
                    img.format() == QImage::Format_Indexed8 ? "8-bit " : "24-bit", qPrintable(pic.use));
    }
    if (!safeSurfBadge().save(badgePng, "PNG")) {
        std::fprintf(stderr, "draw_art: cannot write %s\n", qPrintable(badgePng));
        ok = false;
    }

    QFile qrc(dir + "/bitmaps.qrc");
    if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        std::fprintf(stderr, "draw_art: cannot write %s\n", qPrintable(qrc.fileName()));
        return false;
    }
    QTextStream out(&qrc);
    out << "<!DOCTYPE RCC>\n<!-- Written by resources/art/build_art.sh: edit draw_art.cpp, not this. -->\n"
        << "<RCC version=\"1.0\">\n<qresource prefix=\"/bitmap\">\n";
    std::vector<QString> names;
    for (const Picture& pic : pictures()) names.push_back(pic.name);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    for (const QString& n : names) out << "  <file alias=\"" << n << "\">" << n << ".bmp</file>\n";
    out << "</qresource>\n<qresource prefix=\"/file\">\n"
        << "  <file alias=\"ssurf.gif\">ssurf.gif</file>\n</qresource>\n</RCC>\n";
    return ok;
}

// Every written file, on the window face with the key taken out, at real size;
// the small ones also three times enlarged. Pages of at most 780 by 900 pixels
// go to <out>-1.png, <out>-2.png, ...
bool contactSheet(const QString& dir, const QString& outPath) {
    QStringList files = QDir(dir).entryList({"*.bmp", "*.gif"}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    struct Item {
        QString name;
        QImage img;
        int zoom;
    };
    std::vector<Item> items;
    for (const QString& f : files) {
        QImage img(dir + "/" + f);
        if (img.isNull()) {
            std::fprintf(stderr, "draw_art: cannot read back %s\n", qPrintable(f));
            return false;
        }
        const bool keyed = !f.endsWith(".gif") && f != "previewtile.bmp";
        QImage shown = img.convertToFormat(QImage::Format_ARGB32);
        if (keyed) {
            const QRgb key = shown.pixel(0, shown.height() - 1);
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x)
                    if (shown.pixel(x, y) == key) shown.setPixel(x, y, 0);
        }
        const int zoom = img.width() <= 100 && img.height() <= 64 ? 3 : 1;
        items.push_back({QFileInfo(f).completeBaseName() + QString(" %1x%2").arg(img.width()).arg(img.height()),
                         shown, zoom});
    }
    const int width = 780, maxHeight = 900;
    struct Placed {
        int page;
        QPoint at;
    };
    std::vector<Placed> placed;
    std::vector<int> pageHeights;
    int page = 0, x = 10, y = 10, rowH = 0;
    for (const Item& it : items) {
        const int w = std::max(it.img.width() * (it.zoom > 1 ? 1 + it.zoom : 1) + 12, 120);
        const int h = it.img.height() * it.zoom + 24;
        if (x + w > width) x = 10, y += rowH + 10, rowH = 0;
        if (y + h > maxHeight && y > 10) {
            pageHeights.push_back(y);
            ++page, x = 10, y = 10, rowH = 0;
        }
        placed.push_back({page, {x, y}});
        x += w + 10;
        rowH = std::max(rowH, h);
    }
    pageHeights.push_back(y + rowH + 10);
    const QString base = outPath.endsWith(".png") ? outPath.chopped(4) : outPath;
    for (int pg = 0; pg <= page; ++pg) {
        QImage sheet(width, pageHeights[static_cast<size_t>(pg)], QImage::Format_RGB32);
        sheet.fill(QColor(0xC8, 0xC8, 0xC8));
        QPainter p(&sheet);
        for (size_t i = 0; i < items.size(); ++i) {
            if (placed[i].page != pg) continue;
            const Item& it = items[i];
            const QPoint o = placed[i].at;
            const int span = it.img.width() * (it.zoom > 1 ? 1 + it.zoom : 1) + 12;
            p.fillRect(QRect(o.x(), o.y() + 14, span, it.img.height() * it.zoom), ink::face);
            p.setFont(font(kSans, 10, false));
            p.setPen(Qt::black);
            p.drawText(o.x(), o.y() + 10, it.name);
            p.drawImage(o.x(), o.y() + 14, it.img);
            if (it.zoom > 1)
                p.drawImage(QRect(o.x() + it.img.width() + 8, o.y() + 14, it.img.width() * it.zoom,
                                  it.img.height() * it.zoom),
                            it.img);
        }
        p.end();
        if (!sheet.save(QString("%1-%2.png").arg(base).arg(pg + 1), "PNG")) return false;
    }
    return true;
}

}  // namespace tendrel::art

int main(int argc, char** argv) {
    using namespace tendrel::art;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (!loadFonts()) return 1;
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == "--sheet") return contactSheet(args[2], args[3]) ? 0 : 1;
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: draw_art <bitmap-dir> <ssurf.png>\n       draw_art --sheet <bitmap-dir> <out.png>\n");
        return 2;
    }
    drawBravant();
    drawPennant();
    drawKestrel();
    return writeAll(args[1], args[2]) ? 0 : 1;
}
