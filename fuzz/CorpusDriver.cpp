// A main for the fuzz targets in builds without libFuzzer: feeds every file of the
// folders (or files) named on the command line to LLVMFuzzerTestOneInput once, so that
// each corpus runs as a regression test.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool runFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return false;
    }
    // A copy of its own, so that reading past the end is caught by the sanitizers.
    const QByteArray bytes = file.readAll();
    auto* copy = new uint8_t[static_cast<size_t>(bytes.size())];
    std::copy(bytes.cbegin(), bytes.cend(), copy);
    std::fprintf(stderr, "input %s (%lld bytes)\n", qPrintable(path),
                 static_cast<long long>(bytes.size()));
    LLVMFuzzerTestOneInput(copy, static_cast<size_t>(bytes.size()));
    delete[] copy;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER|FILE...\n", argv[0]);
        return 2;
    }
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(path).isDir()) {
            QStringList files;
            QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext())
                files.append(it.next());
            files.sort();
            for (const QString& file : files) {
                if (!runFile(file))
                    return 1;
                ++inputs;
            }
        } else {
            if (!runFile(path))
                return 1;
            ++inputs;
        }
    }
    if (inputs == 0) {
        std::fprintf(stderr, "no inputs found\n");
        return 1;
    }
    std::printf("%d inputs passed\n", inputs);
    return 0;
}
