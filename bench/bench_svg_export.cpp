// SVG import and PNG export, side by side with rsvg-convert.
//
//   bench_svg_export FILE WIDTH HEIGHT OUTPUT
//       imports FILE through the SVG importer, writes it as a WIDTH x HEIGHT PNG through the
//       bitmap output, and prints the time of each phase and the peak memory.
//   bench_svg_export [--rounds N]
//       makes three inputs (10,000 and 100,000 random filled and stroked shapes, forty long
//       roads drawn as a casing under a line) and times this program against rsvg-convert on
//       each, and against resvg where its Node binding is installed (scripts/install-deps puts it
//       in bench/resvg), in turn, as whole processes: wall and CPU time and peak resident memory.
//   bench_svg_export --write-inputs FOLDER
//       writes those three inputs to FOLDER, for profiling one of them.
#include "BenchProcess.h"

#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/output/PWRenderingOutput.h"
#include "frameworks/penwork/svg/PWSVGImporter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include <sys/resource.h>

namespace {

using bench::median;
using bench::peakMegabytes;
using bench::Run;
using bench::runProcess;

constexpr int kWidth = 3000;
constexpr int kHeight = 2000;

// ---- One import and export ------------------------------------------------------------------

int importAndExport(const QString& input, int width, int height, const QString& output)
{
    QElapsedTimer clock;
    clock.start();
    pf::Error error;
    const pf::Ref<PWDrawing> drawing = PWSVGImporter::drawingWithContentsOfSVGFile(input, &error);
    if (!drawing) {
        std::fprintf(stderr, "bench_svg_export: %s\n", qPrintable(error.localizedDescription()));
        return 1;
    }
    const double importMs = clock.nsecsElapsed() / 1e6;

    clock.restart();
    const QByteArray png = PWRenderingOutput::imageDataWithFormat(
        *drawing, int(pf::BitmapFileType::PNG), {}, {}, pf::ImageColorModel::RGB, QRectF(), QSize(width, height),
        pf::Color(), &error);
    if (png.isEmpty()) {
        std::fprintf(stderr, "bench_svg_export: %s\n", qPrintable(error.localizedDescription()));
        return 1;
    }
    const double exportMs = clock.nsecsElapsed() / 1e6;

    clock.restart();
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size() || !file.commit()) {
        std::fprintf(stderr, "bench_svg_export: %s: %s\n", qPrintable(output), qPrintable(file.errorString()));
        return 1;
    }
    const double writeMs = clock.nsecsElapsed() / 1e6;

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("import_ms %.1f export_ms %.1f write_ms %.1f peak_mb %.1f png_bytes %lld\n", importMs, exportMs,
                writeMs, peakMegabytes(usage), static_cast<long long>(png.size()));
    return 0;
}

// ---- Inputs ---------------------------------------------------------------------------------

QString colour(QRandomGenerator& random)
{
    return QStringLiteral("#%1").arg(random.bounded(0x1000000), 6, 16, QLatin1Char('0'));
}

// `count` filled and stroked shapes of every kind at random over the page; one in five
// polygons is dashed.
QByteArray shapesDocument(int count)
{
    QRandomGenerator random(count);
    QByteArray svg;
    QTextStream out(&svg);
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << kHeight << "\">\n";
    for (int i = 0; i < count; ++i) {
        const double x = random.bounded(double(kWidth));
        const double y = random.bounded(double(kHeight));
        const double size = 4.0 + random.bounded(60.0);
        const QString paint = QStringLiteral("fill=\"%1\" stroke=\"%2\" stroke-width=\"%3\"")
                                  .arg(colour(random), colour(random))
                                  .arg(0.5 + random.bounded(3.0), 0, 'f', 2);
        switch (random.bounded(5)) {
        case 0:
            out << "<rect x=\"" << x << "\" y=\"" << y << "\" width=\"" << size << "\" height=\"" << size * 0.6
                << "\" " << paint << "/>\n";
            break;
        case 1:
            out << "<circle cx=\"" << x << "\" cy=\"" << y << "\" r=\"" << size / 2 << "\" " << paint << "/>\n";
            break;
        case 2:
            out << "<ellipse cx=\"" << x << "\" cy=\"" << y << "\" rx=\"" << size / 2 << "\" ry=\"" << size / 3
                << "\" " << paint << "/>\n";
            break;
        case 3: {
            out << "<polygon points=\"";
            const int corners = 3 + random.bounded(6);
            for (int k = 0; k < corners; ++k) {
                const double angle = 2 * M_PI * k / corners;
                const double radius = size / 2 * (0.5 + random.bounded(0.5));
                out << x + radius * std::cos(angle) << ',' << y + radius * std::sin(angle) << ' ';
            }
            out << "\" " << paint;
            if (i % 5 == 0)
                out << " stroke-dasharray=\"4 2\"";
            out << "/>\n";
            break;
        }
        default:
            out << "<path d=\"M" << x << ' ' << y << " c " << size / 3 << ' ' << -size / 2 << ' ' << size << ' '
                << -size / 2 << ' ' << size << " 0 s " << -size / 4 << ' ' << size / 2 << ' ' << -size / 2 << ' '
                << size / 2 << " z\" " << paint << "/>\n";
        }
    }
    out << "</svg>\n";
    out.flush();
    return svg;
}

// Forty roads of 1,700 cubic segments each that wander over the page, each drawn twice: a wide
// dark casing with round joins under a narrower light line.
QByteArray roadsDocument()
{
    QRandomGenerator random(40);
    QByteArray svg;
    QTextStream out(&svg);
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << kHeight << "\">\n";
    for (int road = 0; road < 40; ++road) {
        QString data;
        QTextStream d(&data);
        double x = random.bounded(double(kWidth));
        double y = random.bounded(double(kHeight));
        double heading = random.bounded(2 * M_PI);
        d << 'M' << x << ' ' << y;
        for (int segment = 0; segment < 1700; ++segment) {
            heading += random.bounded(0.8) - 0.4;
            const double step = 6.0 + random.bounded(6.0);
            double nx = x + step * std::cos(heading);
            double ny = y + step * std::sin(heading);
            // Turn back at the page's edge.
            if (nx < 0 || nx > kWidth || ny < 0 || ny > kHeight) {
                heading += M_PI;
                nx = x + step * std::cos(heading);
                ny = y + step * std::sin(heading);
            }
            d << " C " << x + (nx - x) / 3 + random.bounded(2.0) - 1 << ' ' << y + (ny - y) / 3 << ' '
              << x + 2 * (nx - x) / 3 << ' ' << y + 2 * (ny - y) / 3 + random.bounded(2.0) - 1 << ' ' << nx << ' '
              << ny;
            x = nx;
            y = ny;
        }
        d.flush();
        out << "<path d=\"" << data
            << "\" fill=\"none\" stroke=\"#4a4a4a\" stroke-width=\"9\" stroke-linejoin=\"round\" "
               "stroke-linecap=\"round\"/>\n";
        out << "<path d=\"" << data
            << "\" fill=\"none\" stroke=\"#ffd27f\" stroke-width=\"6\" stroke-linejoin=\"round\" "
               "stroke-linecap=\"round\"/>\n";
    }
    out << "</svg>\n";
    out.flush();
    return svg;
}

// ---- Side by side ---------------------------------------------------------------------------

// The number after `key` in a line this program printed for one import and export.
double figure(const QByteArray& output, const char* key)
{
    const QList<QByteArray> words = output.simplified().split(' ');
    for (qsizetype i = 0; i + 1 < words.size(); ++i)
        if (words[i] == key)
            return words[i + 1].toDouble();
    return 0;
}

struct Comparison {
    QString name;
    double importMs = 0;
};

// The resvg renderer through its Node binding, where both are installed.
QStringList resvgCommand(const QString& input, const QString& output)
{
    const QString script = QStringLiteral(QUILLORY_RESVG_SCRIPT);
    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    const QString module = QFileInfo(script).absolutePath() + QStringLiteral("/node_modules/@resvg/resvg-js");
    if (node.isEmpty() || !QFileInfo::exists(script) || !QFileInfo::exists(module))
        return {};
    return {node, script, input, QString::number(kWidth), output};
}

std::optional<Comparison> compare(const QString& name, const QString& input, const QString& folder, int rounds)
{
    const QString self = QCoreApplication::applicationFilePath();
    const QStringList commands[] = {
        {self, input, QString::number(kWidth), QString::number(kHeight), folder + QStringLiteral("/ours.png")},
        {QStringLiteral("rsvg-convert"), QStringLiteral("-w"), QString::number(kWidth), QStringLiteral("-h"),
         QString::number(kHeight), QStringLiteral("-f"), QStringLiteral("png"), QStringLiteral("-o"),
         folder + QStringLiteral("/rsvg.png"), input},
        resvgCommand(input, folder + QStringLiteral("/resvg.png")),
    };
    const char* names[] = {"the framework", "rsvg-convert", "resvg"};
    const int programs = commands[2].isEmpty() ? 2 : 3;
    std::vector<double> wall[3], cpu[3], peak[3], ratios[3], imports;
    // One warm-up of each, then each in turn, so that drift in the machine's speed hits all.
    for (int round = -1; round < rounds; ++round) {
        std::optional<Run> runs[3];
        for (int p = 0; p < programs; ++p) {
            runs[p] = runProcess(commands[p]);
            if (!runs[p]) {
                std::fprintf(stderr, "bench_svg_export: %s failed on %s\n", names[p], qPrintable(name));
                return std::nullopt;
            }
        }
        if (round < 0)
            continue;
        for (int p = 0; p < programs; ++p) {
            wall[p].push_back(runs[p]->wallSeconds);
            cpu[p].push_back(runs[p]->cpuSeconds);
            peak[p].push_back(runs[p]->peakMegabytes);
            ratios[p].push_back(runs[0]->wallSeconds / runs[p]->wallSeconds);
        }
        imports.push_back(figure(runs[0]->output, "import_ms"));
    }
    for (int p = 0; p < programs; ++p)
        std::printf("%-14s %-14s %9.3f %9.3f %9.1f   %7.2f\n", p == 0 ? qPrintable(name) : "", names[p] + (p == 0 ? 4 : 0),
                    median(wall[p]), median(cpu[p]), median(peak[p]), median(ratios[p]));
    std::fflush(stdout);
    return Comparison{name, median(imports)};
}

struct Input {
    QString name;
    QByteArray data;
};

std::vector<Input> benchmarkInputs()
{
    return {{QStringLiteral("shapes-10k"), shapesDocument(10000)},
            {QStringLiteral("shapes-100k"), shapesDocument(100000)},
            {QStringLiteral("roads-40"), roadsDocument()}};
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit())
        return true;
    std::fprintf(stderr, "bench_svg_export: cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
    return false;
}

int writeInputs(const QString& folder)
{
    for (const Input& input : benchmarkInputs())
        if (!writeFile(folder + u'/' + input.name + QStringLiteral(".svg"), input.data))
            return 1;
    return 0;
}

int compareWithRsvg(int rounds)
{
    if (QStandardPaths::findExecutable(QStringLiteral("rsvg-convert")).isEmpty()) {
        std::fprintf(stderr, "bench_svg_export: rsvg-convert is not installed (Debian's librsvg2-bin; "
                             "scripts/install-deps installs it)\n");
        return 1;
    }
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "bench_svg_export: no temporary folder: %s\n", qPrintable(folder.errorString()));
        return 1;
    }
    const std::vector<Input> inputs = benchmarkInputs();
    std::printf("SVG import + %d x %d PNG export against rsvg-convert%s, %d rounds, medians; ratio is our wall "
                "time over the program's, run by run\n",
                kWidth, kHeight, resvgCommand(QString(), QString()).isEmpty() ? "" : " and resvg", rounds);
    std::printf("%-14s %-14s %9s %9s %9s   %7s\n", "input", "program", "wall s", "cpu s", "peak MB", "ratio");
    std::vector<Comparison> results;
    for (const Input& input : inputs) {
        const QString path = folder.filePath(input.name + QStringLiteral(".svg"));
        if (!writeFile(path, input.data))
            return 1;
        const std::optional<Comparison> result = compare(input.name, path, folder.path(), rounds);
        if (!result)
            return 1;
        results.push_back(*result);
    }
    if (results[0].importMs > 0)
        std::printf("import, 100k shapes against 10k: %.2f x the time for 10 x the objects\n",
                    results[1].importMs / results[0].importMs);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() == 5) {
        bool okWidth = false;
        bool okHeight = false;
        const int width = arguments[2].toInt(&okWidth);
        const int height = arguments[3].toInt(&okHeight);
        if (!okWidth || !okHeight || width <= 0 || height <= 0) {
            std::fprintf(stderr, "bench_svg_export: the width and height must be positive whole numbers\n");
            return 2;
        }
        return importAndExport(arguments[1], width, height, arguments[4]);
    }
    if (arguments.size() == 1)
        return compareWithRsvg(5);
    if (arguments.size() == 3 && arguments[1] == u"--write-inputs")
        return writeInputs(arguments[2]);
    if (arguments.size() == 3 && arguments[1] == u"--rounds") {
        bool ok = false;
        const int rounds = arguments[2].toInt(&ok);
        if (ok && rounds > 0)
            return compareWithRsvg(rounds);
    }
    std::fprintf(stderr, "usage: bench_svg_export FILE WIDTH HEIGHT OUTPUT.png\n"
                         "       bench_svg_export [--rounds N]\n"
                         "       bench_svg_export --write-inputs FOLDER\n");
    return 2;
}
