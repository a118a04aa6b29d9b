// Bitmap tracing of a scanned page, as a whole process, to set beside the potrace program.
//
//   bench_tracing [--rounds N]
//       writes a 2000 x 2000 page as below and times this program tracing it against
//       `potrace -s` (Debian's potrace package; scripts/install-deps installs it), the two in
//       turn, as whole processes: wall and CPU time and peak resident memory, medians.
//   bench_tracing --write-scan FILE.pgm [SIDE]
//       writes a SIDE x SIDE (2000 unless given) greyscale page: lines of word-like marks, line
//       art and the speckle of a scanner, as a PGM that both programs read.
//   bench_tracing FILE OUTPUT.svg
//       reads FILE, traces it black and white at the middle grey with the tracer's defaults
//       (speckles of 2 pixels dropped, alpha max 1, curve optimisation at 0.2, minority turns:
//       potrace's own defaults), writes the outlines as an SVG path and prints the time of each
//       phase. `potrace -s -o OUTPUT.svg FILE` does the same work.
#include "BenchProcess.h"

#include "frameworks/penwork/tracing/ImageVectorizing.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>

#include <sys/resource.h>

namespace {

QImage scanImage(int side)
{
    QImage page(side, side, QImage::Format_Grayscale8);
    page.fill(235);
    QRandomGenerator random(2000);
    {
        QPainter painter(&page);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(30, 30, 30));
        // Lines of text: words of rounded letter-sized marks.
        const double lineHeight = side / 60.0;
        for (double y = side * 0.05; y < side * 0.6; y += lineHeight * 1.6) {
            double x = side * 0.06;
            while (x < side * 0.92) {
                const int letters = 2 + random.bounded(8);
                for (int i = 0; i < letters; ++i) {
                    const double w = lineHeight * (0.35 + random.bounded(0.4));
                    const double h = lineHeight * (random.bounded(4) == 0 ? 1.0 : 0.65);
                    QPainterPath letter;
                    letter.addRoundedRect(QRectF(x, y + lineHeight - h, w, h), w / 3, w / 3);
                    if (random.bounded(3) == 0) // a counter, as in o, e and a
                        letter.addEllipse(QRectF(x + w * 0.3, y + lineHeight - h * 0.7, w * 0.4, h * 0.4));
                    painter.drawPath(letter);
                    x += w + lineHeight * 0.12;
                }
                x += lineHeight * 0.6;
            }
        }
        // Line art below: curves and circles of several weights.
        painter.setBrush(Qt::NoBrush);
        for (int i = 0; i < 120; ++i) {
            painter.setPen(QPen(QColor(20, 20, 20), 1.5 + random.bounded(6.0)));
            const QPointF a(random.bounded(double(side)), side * 0.62 + random.bounded(side * 0.36));
            const QPointF b(random.bounded(double(side)), side * 0.62 + random.bounded(side * 0.36));
            QPainterPath curve(a);
            curve.cubicTo(QPointF(a.x(), b.y()), QPointF(b.x(), a.y()), b);
            painter.drawPath(curve);
            if (i % 4 == 0)
                painter.drawEllipse(a, 20 + random.bounded(120.0), 20 + random.bounded(120.0));
        }
    }
    // The scanner's noise, and dust.
    for (int y = 0; y < side; ++y) {
        uchar* line = page.scanLine(y);
        for (int x = 0; x < side; ++x)
            line[x] = uchar(std::clamp(int(line[x]) + int(random.bounded(41)) - 20, 0, 255));
    }
    for (int i = 0; i < side * 2; ++i) {
        const int x = random.bounded(side - 2);
        const int y = random.bounded(side - 2);
        for (int dy = 0; dy < 2; ++dy)
            for (int dx = 0; dx < 2; ++dx)
                page.scanLine(y + dy)[x + dx] = 10;
    }
    return page;
}

// Appends `value` with two decimals, as a plain formatter would, without its cost.
void appendNumber(QByteArray& out, double value)
{
    long long hundredths = std::llround(value * 100.0);
    if (hundredths < 0) {
        out += '-';
        hundredths = -hundredths;
    }
    char digits[24];
    int at = sizeof digits;
    digits[--at] = char('0' + hundredths % 10);
    digits[--at] = char('0' + hundredths / 10 % 10);
    digits[--at] = '.';
    long long whole = hundredths / 100;
    do {
        digits[--at] = char('0' + whole % 10);
        whole /= 10;
    } while (whole > 0);
    out.append(digits + at, qsizetype(sizeof digits) - at);
}

void appendPoints(QByteArray& out, char command, const pf::BezierPath::Element& e, int count)
{
    out += command;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            out += ' ';
        appendNumber(out, e.points[size_t(i)].x());
        out += ' ';
        appendNumber(out, e.points[size_t(i)].y());
    }
}

QByteArray svgOfObjects(const QList<pf::Ref<PWTracedVectorObject>>& objects, const QSize& size)
{
    QByteArray svg;
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + QByteArray::number(size.width()) + "\" height=\""
           + QByteArray::number(size.height()) + "\">\n";
    for (const pf::Ref<PWTracedVectorObject>& object : objects) {
        svg += "<path fill-rule=\"evenodd\" fill=\"" + object->colour().qColor().name().toLatin1() + "\" d=\"";
        for (const pf::BezierPath::Element& e : object->vectorPath()->elements()) {
            switch (e.type) {
            case pf::BezierPath::ElementType::MoveTo:
                appendPoints(svg, 'M', e, 1);
                break;
            case pf::BezierPath::ElementType::LineTo:
                appendPoints(svg, 'L', e, 1);
                break;
            case pf::BezierPath::ElementType::CurveTo:
                appendPoints(svg, 'C', e, 3);
                break;
            case pf::BezierPath::ElementType::ClosePath:
                svg += 'Z';
                break;
            }
        }
        svg += "\"/>\n";
    }
    svg += "</svg>\n";
    return svg;
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit())
        return true;
    std::fprintf(stderr, "bench_tracing: cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
    return false;
}

int trace(const QString& input, const QString& output)
{
    QElapsedTimer clock;
    clock.start();
    const QImage image(input);
    if (image.isNull()) {
        std::fprintf(stderr, "bench_tracing: cannot read %s\n", qPrintable(input));
        return 1;
    }
    const double readMs = clock.nsecsElapsed() / 1e6;
    clock.restart();
    const QList<pf::Ref<PWTracedVectorObject>> objects = pw::vectorizeToGrayscaleWithPrecision(image, 1);
    if (objects.isEmpty()) {
        std::fprintf(stderr, "bench_tracing: nothing traced\n");
        return 1;
    }
    const double traceMs = clock.nsecsElapsed() / 1e6;
    clock.restart();
    if (!writeFile(output, svgOfObjects(objects, image.size())))
        return 1;
    const double writeMs = clock.nsecsElapsed() / 1e6;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("read_ms %.1f trace_ms %.1f write_ms %.1f peak_mb %.1f elements %lld\n", readMs, traceMs, writeMs,
                usage.ru_maxrss / 1024.0, static_cast<long long>(objects[0]->vectorPath()->elementCount()));
    return 0;
}

QByteArray pgmOf(const QImage& page)
{
    QByteArray pgm = "P5\n" + QByteArray::number(page.width()) + ' ' + QByteArray::number(page.height()) + "\n255\n";
    for (int y = 0; y < page.height(); ++y)
        pgm.append(reinterpret_cast<const char*>(page.constScanLine(y)), page.width());
    return pgm;
}

int compareWithPotrace(int rounds)
{
    const QString potrace = QStandardPaths::findExecutable(QStringLiteral("potrace"));
    if (potrace.isEmpty()) {
        std::fprintf(stderr, "bench_tracing: potrace is not installed (Debian's potrace; scripts/install-deps "
                             "installs it)\n");
        return 1;
    }
    QTemporaryDir folder;
    if (!folder.isValid() || !writeFile(folder.filePath(QStringLiteral("scan.pgm")), pgmOf(scanImage(2000))))
        return 1;
    const QString scan = folder.filePath(QStringLiteral("scan.pgm"));
    const QStringList commands[] = {
        {QCoreApplication::applicationFilePath(), scan, folder.filePath(QStringLiteral("ours.svg"))},
        {potrace, QStringLiteral("-s"), QStringLiteral("-o"), folder.filePath(QStringLiteral("potrace.svg")), scan},
    };
    std::vector<double> wall[2], cpu[2], peak[2], ratios;
    // One warm-up of each, then the two in turn, so that drift in the machine's speed hits both.
    for (int round = -1; round < rounds; ++round) {
        std::optional<bench::Run> runs[2];
        for (int p = 0; p < 2; ++p) {
            runs[p] = bench::runProcess(commands[p]);
            if (!runs[p]) {
                std::fprintf(stderr, "bench_tracing: %s failed\n", p == 0 ? "the tracing" : "potrace");
                return 1;
            }
        }
        if (round < 0)
            continue;
        for (int p = 0; p < 2; ++p) {
            wall[p].push_back(runs[p]->wallSeconds);
            cpu[p].push_back(runs[p]->cpuSeconds);
            peak[p].push_back(runs[p]->peakMegabytes);
        }
        ratios.push_back(runs[0]->wallSeconds / runs[1]->wallSeconds);
    }
    std::printf("Tracing a 2000 x 2000 scan against potrace -s, %d rounds, medians\n", rounds);
    std::printf("%-10s %9s %9s %9s\n", "program", "wall s", "cpu s", "peak MB");
    for (int p = 0; p < 2; ++p)
        std::printf("%-10s %9.3f %9.3f %9.1f\n", p == 0 ? "ours" : "potrace", bench::median(wall[p]),
                    bench::median(cpu[p]), bench::median(peak[p]));
    std::printf("wall time against potrace's, run by run: %.2f x\n", bench::median(ratios));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if ((arguments.size() == 3 || arguments.size() == 4) && arguments[1] == u"--write-scan") {
        const int side = arguments.size() == 4 ? arguments[3].toInt() : 2000;
        if (side < 16 || side > 10000) {
            std::fprintf(stderr, "bench_tracing: the side must be 16 to 10000 pixels\n");
            return 2;
        }
        return writeFile(arguments[2], pgmOf(scanImage(side))) ? 0 : 1;
    }
    if (arguments.size() == 1)
        return compareWithPotrace(5);
    if (arguments.size() == 3 && arguments[1] == u"--rounds") {
        bool ok = false;
        const int rounds = arguments[2].toInt(&ok);
        if (ok && rounds > 0)
            return compareWithPotrace(rounds);
    }
    if (arguments.size() == 3)
        return trace(arguments[1], arguments[2]);
    std::fprintf(stderr, "usage: bench_tracing [--rounds N]\n"
                         "       bench_tracing --write-scan FILE.pgm [SIDE]\n"
                         "       bench_tracing FILE OUTPUT.svg\n");
    return 2;
}
