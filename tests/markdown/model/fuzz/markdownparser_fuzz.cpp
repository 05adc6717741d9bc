// A fuzz target: a note parsed in pieces, of any size, gives the blocks of one parse.
// Built with libFuzzer where the compiler is clang; elsewhere it is a driver that puts
// the files it is given (a corpus, or an input a fuzzer found) through the same check.
#include "markdown/model/markdownparser.h"
#include "markdown/model/markdownparser_p.h"
#include "markdown/model/parseguard.h"

#include <QByteArray>
#include <QFile>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    MarkdownParser::registerExtensions();
    // The first byte picks the size of the pieces: small ones cut the text wherever it
    // may be cut.
    const qsizetype pieceSize = 1 + data[0] % 64;
    const QByteArrayView input(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);
    // As the program parses: the library's slow shapes are kept from it first.
    const std::optional<QByteArray> defused = ParseGuard::defused(input);
    const QByteArrayView text = defused ? QByteArrayView(*defused) : input;
    const std::optional<QList<BlockNode>> whole
        = MarkdownParser::parseMarkdownBlocksInPieces(text, text.size());
    const std::optional<QList<BlockNode>> pieces
        = MarkdownParser::parseMarkdownBlocksInPieces(text, pieceSize);
    if (whole != pieces) {
        std::fprintf(stderr, "Parsed in pieces of %lld, the text gives other blocks than in one parse.\n",
            static_cast<long long>(pieceSize));
        std::abort();
    }
    return 0;
}

#ifndef QV_LIBFUZZER
int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        QFile file(QFile::decodeName(argv[i]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "Cannot read %s.\n", argv[i]);
            return 1;
        }
        const QByteArray bytes = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
    return 0;
}
#endif
