// QuantDump's parsing on hand-made bytes: zig-zag order, the two matrix headers, the decoder's
// matrix bookkeeping, program stream demuxing, the start code search and the output layout.
#include "DumpText.h"
#include "ElementaryScanner.h"
#include "ProgramDemuxer.h"
#include "QuantDumpStreams.h"
#include "QuantMatrix.h"
#include "StartCode.h"
#include "StreamScanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace quire::quantdump;
using namespace quire::test;

namespace {

const Matrix kA = rampMatrix(8, 1);   // 8 9 10 ... 71
const Matrix kB = rampMatrix(20, 2);  // 20 22 ... 146
const Matrix kC = rampMatrix(100, 1); // 100 ... 163
const Matrix kDecoy = rampMatrix(200, 0);

MatrixPair pair(const Matrix& intra, const Matrix& nonIntra) {
    return MatrixPair{intra, nonIntra};
}

const MatrixPair kDefaults = defaultPair();

struct Outcome {
    bool sawSequenceHeader = false;
    std::optional<MatrixPair> first;
    std::optional<MatrixPair> second;
    bool operator==(const Outcome&) const = default;
};

Outcome outcomeOf(const MatrixTracker& tracker) {
    return Outcome{tracker.sawSequenceHeader(), tracker.first(), tracker.second()};
}

std::string describe(const std::optional<MatrixPair>& p) {
    if (!p)
        return "none";
    if (*p == kDefaults)
        return "defaults";
    std::ostringstream text;
    text << "intra[0..2]=" << int(p->intra[0]) << "," << int(p->intra[1]) << "," << int(p->intra[2])
         << " nonIntra[0..2]=" << int(p->nonIntra[0]) << "," << int(p->nonIntra[1]) << "," << int(p->nonIntra[2]);
    return text.str();
}

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    return out << "{header " << o.sawSequenceHeader << ", first " << describe(o.first) << ", second "
               << describe(o.second) << "}";
}

// Feeds an elementary stream in pieces of `piece` bytes.
Outcome scanElementary(const Bytes& es, std::size_t piece) {
    ElementaryScanner scanner;
    for (std::size_t at = 0; at < es.size(); at += piece)
        scanner.feed(es.data() + at, std::min(piece, es.size() - at));
    scanner.finish();
    return outcomeOf(scanner.tracker());
}

// Reads a whole stream through StreamScanner, `readSize` bytes per read, with the given block size.
Outcome scanStream(const Bytes& stream, std::size_t readSize, std::size_t blockSize = StreamScanner::kDefaultBlock) {
    StreamScanner scanner(blockSize);
    std::size_t at = 0;
    while (at < stream.size() && !scanner.complete()) {
        const auto space = scanner.space();
        const std::size_t count = std::min({readSize, space.size(), stream.size() - at});
        std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(at), count, space.begin());
        scanner.commit(count);
        at += count;
    }
    scanner.finish();
    return outcomeOf(scanner.tracker());
}

Outcome expected(std::optional<MatrixPair> first, std::optional<MatrixPair> second = {}) {
    return Outcome{true, first, second};
}

// Packs an elementary stream into a program stream: `payload` video bytes per packet, with
// system header, navigation packets, audio, private stream 1 and padding between them; every
// other stream's payload holds a sequence header that must not be taken for video.
Bytes programStream(const Bytes& es, std::size_t payload, bool mpeg1 = false) {
    PsBuilder ps(mpeg1);
    const PesForm mpeg1Forms[] = {PesForm::Mpeg1Plain, PesForm::Mpeg1Pts, PesForm::Mpeg1PtsDts,
                                  PesForm::Mpeg1StuffedStdPts};
    Bytes nav = decoySequenceHeader(kDecoy);
    nav.resize(980, 0);
    int n = 0;
    for (std::size_t at = 0; at < es.size(); at += payload, ++n) {
        ps.pack(n % 8);
        if (n == 0)
            ps.systemHeader();
        if (n % 5 == 0)
            ps.plainPacket(0xBF, nav).plainPacket(0xBF, Bytes(1018, 0));
        const Bytes chunk(es.begin() + static_cast<std::ptrdiff_t>(at),
                          es.begin() + static_cast<std::ptrdiff_t>(std::min(at + payload, es.size())));
        ps.pes(0xE0, chunk, mpeg1 ? mpeg1Forms[n % 4] : PesForm::Mpeg2);
        if (n % 3 == 1)
            ps.pes(0xC0, decoySequenceHeader(kDecoy), mpeg1 ? PesForm::Mpeg1Pts : PesForm::Mpeg2);
        if (n % 4 == 2)
            ps.pes(0xBD, decoySequenceHeader(kDecoy), mpeg1 ? PesForm::Mpeg1Pts : PesForm::Mpeg2);
        if (n % 7 == 3)
            ps.plainPacket(0xBE, Bytes(30, 0xFF));
    }
    ps.raw({0, 0, 1, 0xB9});
    return ps.bytes();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Zig-zag order and defaults

TEST(QuantDumpZigZag, ScanOrderLandsOnTheStandardRasterPositions) {
    std::array<std::uint8_t, 64> scanOrder{};
    for (int i = 0; i < 64; ++i)
        scanOrder[i] = static_cast<std::uint8_t>(i);
    const Matrix raster = zigzagToRaster(scanOrder);
    for (int cell = 0; cell < 64; ++cell)
        EXPECT_EQ(raster[cell], kScanPosition[cell]) << "row " << cell / 8 << " column " << cell % 8;
}

TEST(QuantDumpZigZag, SequenceHeaderMatrixComesOutInRasterOrder) {
    const HeaderParse parse = parseSequenceHeader(sequenceHeaderBody(kA, std::nullopt).data(), 72, true);
    ASSERT_EQ(parse.status, HeaderStatus::Ok);
    ASSERT_TRUE(parse.load.intra);
    EXPECT_EQ(*parse.load.intra, kA);
}

// ---------------------------------------------------------------------------------------------
// Sequence header and quant matrix extension

TEST(QuantDumpHeaders, SequenceHeaderLoadsWhatItsFlagsSay) {
    struct Case {
        std::optional<Matrix> intra, nonIntra;
        std::size_t length;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, 8}, {kA, std::nullopt, 72}, {std::nullopt, kB, 72}, {kA, kB, 136}};
    for (const Case& c : cases) {
        Bytes body = sequenceHeaderBody(c.intra, c.nonIntra);
        ASSERT_EQ(body.size(), c.length);
        body.insert(body.end(), {0, 0, 1, 0xB5});
        const HeaderParse parse = parseSequenceHeader(body.data(), body.size(), false);
        ASSERT_EQ(parse.status, HeaderStatus::Ok) << "length " << c.length;
        EXPECT_EQ(parse.length, c.length);
        EXPECT_EQ(parse.load.intra, c.intra);
        EXPECT_EQ(parse.load.nonIntra, c.nonIntra);
    }
}

TEST(QuantDumpHeaders, DamagedSequenceHeadersAreRefused) {
    SequenceFields zeroWidth, zeroHeight, zeroAspect, zeroRate, noMarker;
    zeroWidth.width = 0;
    zeroHeight.height = 0;
    zeroAspect.aspect = 0;
    zeroRate.frameRate = 0;
    noMarker.marker = 0;
    Matrix withZero = kA;
    withZero[37] = 0;
    struct Case {
        const char* what;
        Bytes body;
    };
    std::vector<Case> cases = {
        {"zero width", sequenceHeaderBody(kA, kB, zeroWidth)},
        {"zero height", sequenceHeaderBody(kA, kB, zeroHeight)},
        {"zero aspect code", sequenceHeaderBody(kA, kB, zeroAspect)},
        {"zero frame rate code", sequenceHeaderBody(kA, kB, zeroRate)},
        {"cleared marker bit", sequenceHeaderBody(kA, kB, noMarker)},
        {"zero matrix value", sequenceHeaderBody(withZero, std::nullopt)},
    };
    for (Case& c : cases)
        c.body.insert(c.body.end(), {0, 0, 1, 0xB8});
    Bytes notFollowedByStartCode = sequenceHeaderBody(kA, kB);
    notFollowedByStartCode.insert(notFollowedByStartCode.end(), {0x47, 0x11, 0x22, 0x33});
    cases.push_back({"header not followed by a start code", notFollowedByStartCode});
    for (const Case& c : cases) {
        EXPECT_EQ(parseSequenceHeader(c.body.data(), c.body.size(), false).status, HeaderStatus::Damaged) << c.what;
        EXPECT_EQ(parseSequenceHeader(c.body.data(), c.body.size(), true).status, HeaderStatus::Damaged) << c.what;
    }
}

TEST(QuantDumpHeaders, HeaderCutShortWaitsForMoreOrIsDamagedAtTheEnd) {
    Bytes seq = sequenceHeaderBody(kA, kB);
    seq.insert(seq.end(), {0, 0});
    Bytes ext = quantExtensionBody(kA, kB, kC, kC);
    ext.insert(ext.end(), {0, 0});
    for (std::size_t cut = 0; cut < 136; ++cut) {
        EXPECT_EQ(parseSequenceHeader(seq.data(), cut, false).status, HeaderStatus::NeedMore) << cut;
        EXPECT_EQ(parseSequenceHeader(seq.data(), cut, true).status, HeaderStatus::Damaged) << cut;
    }
    for (std::size_t cut = 0; cut < 257; ++cut) {
        EXPECT_EQ(parseQuantMatrixExtension(ext.data(), cut, false).status, HeaderStatus::NeedMore) << cut;
        EXPECT_EQ(parseQuantMatrixExtension(ext.data(), cut, true).status, HeaderStatus::Damaged) << cut;
    }
    // Whole header but not yet the bytes after it: wait, unless the stream ends right there.
    EXPECT_EQ(parseSequenceHeader(seq.data(), 136, false).status, HeaderStatus::NeedMore);
    EXPECT_EQ(parseSequenceHeader(seq.data(), 136, true).status, HeaderStatus::Ok);
    EXPECT_EQ(parseQuantMatrixExtension(ext.data(), 257, true).status, HeaderStatus::Ok);
}

TEST(QuantDumpHeaders, QuantMatrixExtensionReportsLumaAndReadsPastChroma) {
    struct Case {
        std::optional<Matrix> intra, nonIntra, chromaIntra, chromaNonIntra;
        std::size_t length;
    };
    const Case cases[] = {
        {kA, kB, std::nullopt, std::nullopt, 129}, {std::nullopt, kB, std::nullopt, std::nullopt, 65},
        {kA, std::nullopt, kC, std::nullopt, 129}, {kA, kB, kC, kC, 257},
        {std::nullopt, std::nullopt, kC, kC, 129},
    };
    for (const Case& c : cases) {
        Bytes body = quantExtensionBody(c.intra, c.nonIntra, c.chromaIntra, c.chromaNonIntra);
        ASSERT_EQ(body.size(), c.length);
        body.insert(body.end(), {0, 0, 1, 0x01});
        const HeaderParse parse = parseQuantMatrixExtension(body.data(), body.size(), false);
        ASSERT_EQ(parse.status, HeaderStatus::Ok) << c.length;
        EXPECT_EQ(parse.length, c.length);
        EXPECT_EQ(parse.load.intra, c.intra);
        EXPECT_EQ(parse.load.nonIntra, c.nonIntra);
    }
    const Bytes otherExtension = quantExtensionBody(kA, kB, {}, {}, 8);
    EXPECT_EQ(parseQuantMatrixExtension(otherExtension.data(), otherExtension.size(), true).status,
              HeaderStatus::Damaged);
}

// ---------------------------------------------------------------------------------------------
// Following the matrices through an elementary stream

struct EsCase {
    const char* name;
    Bytes stream;
    Outcome outcome;
};

std::vector<EsCase> elementaryCases() {
    const MatrixPair ab = pair(kA, kB), ba = pair(kB, kA), aDefault = pair(kA, kDefaults.nonIntra),
                     defaultB = pair(kDefaults.intra, kB);
    std::vector<EsCase> cases;
    cases.push_back({"defaults only", EsBuilder().sequenceUsing(kDefaults).sequenceUsing(kDefaults).bytes(),
                     expected(std::nullopt)});
    cases.push_back({"one custom pair throughout",
                     EsBuilder().sequenceUsing(ab).sequenceUsing(ab).sequenceUsing(ab).bytes(), expected(ab)});
    cases.push_back({"only a custom intra", EsBuilder().sequenceUsing(aDefault).bytes(), expected(aDefault)});
    cases.push_back({"only a custom non-intra", EsBuilder().sequenceUsing(defaultB).bytes(), expected(defaultB)});
    cases.push_back({"changes part way", EsBuilder().sequenceUsing(ab).sequenceUsing(ab).sequenceUsing(ba).bytes(),
                     expected(ab, ba)});
    cases.push_back({"second pair must differ from the defaults and the first",
                     EsBuilder()
                         .sequenceUsing(kDefaults)
                         .sequenceUsing(ab)
                         .sequenceUsing(kDefaults)
                         .sequenceUsing(ab)
                         .sequenceUsing(aDefault)
                         .sequenceUsing(ba)
                         .bytes(),
                     expected(ab, aDefault)});
    cases.push_back({"a sequence header loading one matrix sets the other back to its default",
                     EsBuilder().sequenceUsing(ab).sequence(std::nullopt, kA).picture().bytes(),
                     expected(ab, pair(kDefaults.intra, kA))});
    cases.push_back({"quant matrix extension after the picture header applies to that picture",
                     EsBuilder()
                         .sequence(std::nullopt, std::nullopt)
                         .pictureHeader()
                         .quantExtension(kC, std::nullopt)
                         .slices()
                         .bytes(),
                     expected(pair(kC, kDefaults.nonIntra))});
    cases.push_back({"extension completing the pair before any slice gives one pair, not two",
                     EsBuilder().sequence(kA, std::nullopt).quantExtension(std::nullopt, kB).picture().bytes(),
                     expected(ab)});
    cases.push_back({"extension replaces only what it loads",
                     EsBuilder().sequenceUsing(ab).pictureHeader().quantExtension(kC, std::nullopt).slices().bytes(),
                     expected(ab, pair(kC, kB))});
    cases.push_back({"extension before any sequence header is ignored",
                     EsBuilder().quantExtension(kC, kC).picture().sequenceUsing(kDefaults).bytes(),
                     expected(std::nullopt)});
    SequenceFields noMarker;
    noMarker.marker = 0;
    cases.push_back({"damaged sequence header is skipped",
                     EsBuilder().sequenceUsing(ab).sequence(kC, kC, noMarker).picture().bytes(), expected(ab)});
    cases.push_back({"stream ending after a header still counts it",
                     EsBuilder().sequenceUsing(ab).startCode(0xB3).append(sequenceHeaderBody(kB, kB)).bytes(),
                     expected(ab, pair(kB, kB))});
    Bytes cut = EsBuilder().sequenceUsing(ab).startCode(0xB3).append(sequenceHeaderBody(kC, kC)).bytes();
    cut.resize(cut.size() - 60);
    cases.push_back({"stream cut inside a sequence header", cut, expected(ab)});
    cases.push_back(
        {"no sequence header at all", EsBuilder().picture().quantExtension(kA, kB).picture().bytes(), Outcome{}});
    return cases;
}

TEST(QuantDumpElementary, FollowsTheMatricesAsADecoderDoes) {
    for (const EsCase& c : elementaryCases())
        EXPECT_EQ(scanElementary(c.stream, c.stream.size()), c.outcome) << c.name;
}

TEST(QuantDumpElementary, ResultDoesNotDependOnHowTheStreamIsCutIntoPieces) {
    for (const EsCase& c : elementaryCases()) {
        for (const std::size_t piece : {1, 2, 3, 5, 17, 64, 140, 263, 300, 1000})
            EXPECT_EQ(scanElementary(c.stream, piece), c.outcome) << c.name << ", pieces of " << piece;
    }
}

TEST(QuantDumpElementary, CompleteOnceTheSecondPairIsKnown) {
    const Bytes firstPart = EsBuilder().sequenceUsing(pair(kA, kB)).bytes();
    const Bytes secondPart = EsBuilder(2).sequenceUsing(pair(kB, kA)).bytes();
    ElementaryScanner scanner;
    scanner.feed(firstPart.data(), firstPart.size());
    EXPECT_FALSE(scanner.complete());
    scanner.feed(secondPart.data(), secondPart.size());
    EXPECT_TRUE(scanner.complete());
    const Bytes third = EsBuilder(3).sequenceUsing(pair(kC, kC)).bytes();
    scanner.feed(third.data(), third.size());
    scanner.finish();
    EXPECT_EQ(outcomeOf(scanner.tracker()), expected(pair(kA, kB), pair(kB, kA)));
}

// ---------------------------------------------------------------------------------------------
// Program streams

TEST(QuantDumpProgramStream, ReadsOnlyTheFirstVideoStreamWhateverItsPacketForm) {
    const Bytes es = EsBuilder().sequenceUsing(pair(kA, kB)).sequenceUsing(pair(kB, kA)).bytes();
    const Outcome both = expected(pair(kA, kB), pair(kB, kA));
    for (const bool mpeg1 : {false, true}) {
        // Payloads of 20 bytes split every header across several packets.
        for (const std::size_t payload : {20, 100, 2000}) {
            const Bytes ps = programStream(es, payload, mpeg1);
            EXPECT_EQ(scanStream(ps, ps.size()), both) << "MPEG-1 " << mpeg1 << ", payload " << payload;
        }
    }
}

TEST(QuantDumpProgramStream, ResultDoesNotDependOnReadOrBlockSizes) {
    const Bytes es = EsBuilder().sequenceUsing(pair(kA, kB)).sequenceUsing(pair(kB, kA)).bytes();
    const Outcome both = expected(pair(kA, kB), pair(kB, kA));
    for (const bool mpeg1 : {false, true}) {
        const Bytes ps = programStream(es, 37, mpeg1);
        for (const std::size_t readSize : {1, 2, 5, 13, 100, 4096})
            EXPECT_EQ(scanStream(ps, readSize), both) << "MPEG-1 " << mpeg1 << ", reads of " << readSize;
        for (const std::size_t blockSize : {1, 3, 30, 1000})
            EXPECT_EQ(scanStream(ps, 1 << 20, blockSize), both) << "MPEG-1 " << mpeg1 << ", blocks of " << blockSize;
    }
}

TEST(QuantDumpProgramStream, LaterVideoStreamsAreIgnored) {
    const Bytes first = EsBuilder().sequenceUsing(pair(kA, kA)).bytes();
    const Bytes other = EsBuilder(2).sequenceUsing(pair(kC, kC)).bytes();
    PsBuilder ps;
    ps.pack().pes(0xE2, first).pack().pes(0xE0, other).pack().pes(0xE2, first).pack().pes(0xEF, other);
    EXPECT_EQ(scanStream(ps.bytes(), ps.bytes().size()), expected(pair(kA, kA)));
}

TEST(QuantDumpProgramStream, JunkAndDamagedItemsBetweenPacksAreSkipped) {
    const Bytes es = EsBuilder().sequenceUsing(pair(kA, kB)).bytes();
    const std::size_t half = es.size() / 2;
    PsBuilder ps;
    ps.raw({0x47, 0x00, 0x00, 0x01, 0x00, 0x13, 0x00}); // junk, holding a picture start code
    ps.pack().pes(0xE0, Bytes(es.begin(), es.begin() + static_cast<std::ptrdiff_t>(half)));
    ps.raw({0, 0, 1, 0xBA, 0x44, 0x00, 0x00, 0x00}); // pack header with cleared marker bits
    ps.raw({0, 0, 1, 0xE0, 0x00, 0x02, 0x80});       // PES header longer than its packet
    ps.raw({0xFF, 0x00, 0x00, 0x01, 0xB3, 0x00});    // a video start code at system level
    ps.pack().pes(0xE0, Bytes(es.begin() + static_cast<std::ptrdiff_t>(half), es.end()));
    ps.raw({0, 0, 1, 0xB9});
    EXPECT_EQ(scanStream(ps.bytes(), ps.bytes().size()), expected(pair(kA, kB)));
    EXPECT_EQ(scanStream(ps.bytes(), 3), expected(pair(kA, kB)));
}

TEST(QuantDumpProgramStream, KindIsToldFromTheContent) {
    const Bytes es = EsBuilder().sequenceUsing(pair(kA, kB)).bytes();
    const Bytes ps = programStream(es, 500);
    Bytes junkThenPs = {0x12, 0x00, 0x00, 0x01, 0x42, 0x00, 0x00, 0x01, 0xE0};
    junkThenPs.insert(junkThenPs.end(), ps.begin(), ps.end());
    Bytes badPackThenEs = {0, 0, 1, 0xBA, 0x44, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    badPackThenEs.insert(badPackThenEs.end(), es.begin(), es.end());
    struct Case {
        const char* name;
        Bytes bytes;
        bool atEnd;
        std::optional<StreamKind> kind;
    };
    const Case cases[] = {
        {"elementary", es, false, StreamKind::Elementary},
        {"program", ps, false, StreamKind::Program},
        {"junk before the first pack", junkThenPs, false, StreamKind::Program},
        {"damaged pack header before a sequence header", badPackThenEs, false, StreamKind::Elementary},
        {"pack header cut short, more to come", Bytes(ps.begin(), ps.begin() + 10), false, std::nullopt},
        {"neither yet", Bytes{1, 2, 3, 0, 0}, false, std::nullopt},
        {"neither, at the end", Bytes{1, 2, 3, 0, 0}, true, StreamKind::Elementary},
    };
    for (const Case& c : cases) {
        std::size_t searched = 0;
        EXPECT_EQ(detectStreamKind(c.bytes.data(), c.bytes.size(), c.atEnd, searched), c.kind) << c.name;
    }
}

TEST(QuantDumpProgramStream, CorruptedAndTruncatedStreamsGiveTheSameResultWhateverTheReadSize) {
    // Damage decides what is found; how the bytes arrive must not. Also a crash test under the
    // sanitizers: flipped bytes, cut streams and inserted junk in elementary and program streams.
    const Bytes es = EsBuilder().sequenceUsing(pair(kA, kB)).sequenceUsing(pair(kB, kA)).bytes();
    const std::vector<Bytes> originals = {es, programStream(es, 60), programStream(es, 333, true)};
    std::mt19937 random(20240601);
    for (int round = 0; round < 120; ++round) {
        Bytes stream = originals[round % originals.size()];
        std::uniform_int_distribution<std::size_t> position(0, stream.size() - 1);
        const int flips = 1 + round % 12;
        for (int f = 0; f < flips; ++f)
            stream[position(random)] = static_cast<std::uint8_t>(random() % 4 == 0 ? 0 : random());
        if (round % 3 == 0)
            stream.resize(position(random));
        if (round % 5 == 0) {
            const Bytes junk = {0, 0, 1, 0xB3, 0, 0, 1, 0xBA, 0x44, 0, 0, 1, 0xE0, 0xFF, 0xFF};
            stream.insert(stream.begin() + static_cast<std::ptrdiff_t>(position(random) % (stream.size() + 1)),
                          junk.begin(), junk.end());
        }
        const Outcome whole = scanStream(stream, stream.size() + 1);
        std::uniform_int_distribution<std::size_t> readSize(1, 700);
        EXPECT_EQ(scanStream(stream, readSize(random)), whole) << "round " << round;
        EXPECT_EQ(scanStream(stream, 1), whole) << "round " << round;
    }
}

// ---------------------------------------------------------------------------------------------
// Start code search

TEST(QuantDumpStartCode, EveryVersionFindsTheFirstPrefixFromEveryPosition) {
    std::mt19937 random(7);
    const std::uint8_t dense[] = {0, 0, 0, 1, 1, 0xB3, 0xFF};
    for (std::size_t size = 0; size < 400; size += 1 + size / 40) {
        for (int variant = 0; variant < 3; ++variant) {
            Bytes data(size);
            for (auto& b : data) {
                if (variant == 0) // many prefixes, zero pairs and lone 0x01 bytes
                    b = dense[random() % 7];
                else if (variant == 1) // random bytes: prefixes are rare
                    b = static_cast<std::uint8_t>(random());
                else // nothing but one prefix at the very end
                    b = 0xFF;
            }
            if (variant == 2 && size >= 3) {
                data[size - 3] = 0;
                data[size - 2] = 0;
                data[size - 1] = 1;
            }
            for (std::size_t from = 0; from <= size; ++from) {
                const std::size_t want = findStartCodeScalar(data.data(), from, size);
                ASSERT_EQ(findStartCodeSse2(data.data(), from, size), want) << size << " from " << from;
                ASSERT_EQ(findStartCodeAvx2(data.data(), from, size), want) << size << " from " << from;
                ASSERT_EQ(findStartCode(data.data(), from, size), want) << size << " from " << from;
            }
        }
    }
}

TEST(QuantDumpStartCode, ScalarSearchFindsOnlyWholePrefixes) {
    const Bytes data = {0x00, 0x01, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0xB3, 0x00, 0x00};
    EXPECT_EQ(findStartCodeScalar(data.data(), 0, data.size()), 6u);
    EXPECT_EQ(findStartCodeScalar(data.data(), 7, data.size()), kNoStartCode);
    EXPECT_EQ(findStartCodeScalar(data.data(), 0, 8), kNoStartCode); // the 01 lies beyond the end
}

// ---------------------------------------------------------------------------------------------
// Output layout

namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

} // namespace

TEST(QuantDumpText, DefaultsOnlyGiveTwentyLines) {
    using namespace dumplines;
    const Lines defaults = joined({defaultIntraBlock(), defaultNonIntraBlock()});
    EXPECT_EQ(linesOf(dumpText(std::nullopt, std::nullopt)), defaults);
    EXPECT_EQ(linesOf(dumpText(kDefaults, std::nullopt)), defaults);
}

TEST(QuantDumpText, SixtyLinesPlaceTheFirstPairForTheExtractionRules) {
    using namespace dumplines;
    const MatrixPair ab = pair(kA, kB), aOnly = pair(kA, kDefaults.nonIntra), bOnly = pair(kDefaults.intra, kB);
    const Lines defaults = joined({defaultIntraBlock(), defaultNonIntraBlock()});
    struct Case {
        const char* name;
        std::optional<MatrixPair> first, second;
        Lines lines;
    };
    const Case cases[] = {
        {"both custom", ab, std::nullopt,
         joined({defaults, block(kIntra, kA), block(kNonIntra, kB), block(kIntra, kA), block(kNonIntra, kB)})},
        {"only intra custom", aOnly, std::nullopt,
         joined({defaults, block(kIntra, kA), emptyBlock(), block(kIntra, kA), defaultNonIntraBlock()})},
        {"only non-intra custom", bOnly, std::nullopt,
         joined({defaults, block(kNonIntra, kB), emptyBlock(), defaultIntraBlock(), block(kNonIntra, kB)})},
        {"second pair in blocks 5 and 6", ab, pair(kC, kA),
         joined({defaults, block(kIntra, kA), block(kNonIntra, kB), block(kIntra, kC), block(kNonIntra, kA)})},
    };
    for (const Case& c : cases) {
        const Lines lines = linesOf(dumpText(c.first, c.second));
        ASSERT_EQ(lines.size(), 60u) << c.name;
        EXPECT_EQ(lines, c.lines) << c.name;
    }
}

TEST(QuantDumpText, RowsAreRasterOrderValuesSeparatedBySingleBlanks) {
    const std::string text = dumpText(pair(kA, kB), std::nullopt);
    EXPECT_NE(text.find("\r\n8 9 10 11 12 13 14 15\r\n16 17 18 19 20 21 22 23\r\n"), std::string::npos);
    EXPECT_EQ(text.find("  "), std::string::npos);
    EXPECT_EQ(text.find(" \r"), std::string::npos);
}
