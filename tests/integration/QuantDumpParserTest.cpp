// QuantDump's parsing on hand-made bytes: zig-zag order, the two matrix headers, the decoder's
// matrix bookkeeping, program stream demuxing and the start code search. The output layout is
// checked on the real program's runs.
#include "ElementaryScanner.h"
#include "ProgramDemuxer.h"
#include "QuantDumpStreams.h"
#include "QuantMatrix.h"
#include "StartCode.h"
#include "StreamScanner.h"

#include <gtest/gtest.h>

using namespace quire::quantdump;
using namespace quire::test;

namespace {

const Matrix kA = gridMatrix(8, 8, 1), kB = gridMatrix(20, 16, 2), kC = gridMatrix(100, 8, 1),
             kDecoy = gridMatrix(200, 0, 0);
const MatrixPair kDefaults = defaultPair(), kAB{kA, kB}, kBA{kB, kA};
// Elementary streams of one sequence using kAB, and of one using kAB then one using kBA.
const Bytes kEsAB = EsBuilder().sequenceUsing(kAB).bytes(),
            kEsABBA = EsBuilder().sequenceUsing(kAB).sequenceUsing(kBA).bytes();
using Sizes = std::vector<std::size_t>;

struct Outcome {
    bool sawSequenceHeader = false;
    std::optional<MatrixPair> first, second;
    bool sawPicture = false; // a picture was coded after a sequence header
    StreamKind kind = StreamKind::Elementary;
    bool operator==(const Outcome&) const = default;
};

Outcome outcomeOf(const MatrixTracker& t, StreamKind kind = StreamKind::Elementary) {
    return Outcome{t.sawSequenceHeader(), t.first(), t.second(), t.sawPicture(), kind};
}

Outcome expected(std::optional<MatrixPair> first, std::optional<MatrixPair> second = {},
                 StreamKind kind = StreamKind::Elementary) {
    return Outcome{true, first, second, true, kind};
}

// Feeds an elementary stream in pieces of `piece` bytes.
Outcome scanElementary(const Bytes& es, std::size_t piece) {
    ElementaryScanner scanner;
    for (std::size_t at = 0; at < es.size(); at += piece)
        scanner.feed(es.data() + at, std::min(piece, es.size() - at));
    scanner.finish();
    return outcomeOf(scanner.tracker());
}

// Reads a whole stream through the stream scanner, `readSize` bytes per read, past the point where
// the matrices are known, so that the kind is told from every byte.
Outcome scanStream(const Bytes& stream, std::size_t readSize, std::size_t blockSize = StreamScanner::kDefaultBlock) {
    StreamScanner scanner(blockSize);
    for (std::size_t at = 0; at < stream.size();) {
        const auto space = scanner.space();
        const std::size_t count = std::min({readSize, space.size(), stream.size() - at});
        std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(at), count, space.begin());
        scanner.commit(count);
        at += count;
    }
    scanner.finish();
    return outcomeOf(scanner.tracker(), scanner.kind());
}

// Packs an elementary stream into a program stream: `payload` video bytes per packet, with
// system header, navigation packets, audio, private stream 1 and padding between them; every
// other stream's payload holds a sequence header that must not be taken for video.
Bytes programStream(const Bytes& es, std::size_t payload, bool mpeg1 = false) {
    PsBuilder ps(mpeg1);
    const PesForm other = mpeg1 ? PesForm::Mpeg1Pts : PesForm::Mpeg2;
    const Bytes decoy = decoySequenceHeader(kDecoy);
    Bytes nav = decoy;
    nav.resize(980, 0);
    for (std::size_t at = 0, n = 0; at < es.size(); at += payload, ++n) {
        ps.pack(static_cast<int>(n % 8));
        if (n == 0)
            ps.systemHeader();
        if (n % 5 == 0)
            ps.plainPacket(0xBF, nav).plainPacket(0xBF, Bytes(1018, 0));
        const auto from = es.begin() + static_cast<std::ptrdiff_t>(at);
        ps.pes(0xE0, Bytes(from, from + static_cast<std::ptrdiff_t>(std::min(payload, es.size() - at))),
               mpeg1 ? static_cast<PesForm>(1 + n % 4) : PesForm::Mpeg2); // each MPEG-1 form in turn
        if (n % 3 == 1)
            ps.pes(0xC0, decoy, other).pes(0xBD, decoy, other).plainPacket(0xBE, Bytes(30, 0xFF));
    }
    return ps.raw({0, 0, 1, 0xB9}).bytes();
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

// The writer puts values in zig-zag scan order from its own table, so these reads check the reader's order too.
TEST(QuantDumpHeaders, BothHeadersLoadWhatTheirFlagsSayAndReadPastChroma) {
    const std::nullopt_t no = std::nullopt;
    const struct {
        bool extension;
        std::optional<Matrix> intra, nonIntra, chromaIntra, chromaNonIntra;
        std::size_t length;
    } cases[] = {{false, no, no, no, no, 8},  {false, kA, kB, no, no, 136}, {true, no, kB, no, no, 65},
                 {true, kA, no, kC, no, 129}, {true, kA, kB, kC, kC, 257},  {true, no, no, kC, kC, 129}};
    for (const auto& c : cases) {
        const Bytes body = (c.extension ? quantExtensionBody(c.intra, c.nonIntra, c.chromaIntra, c.chromaNonIntra)
                                        : sequenceHeaderBody(c.intra, c.nonIntra)) +
                           Bytes{0, 0, 1, 0xB5};
        const auto parse = (c.extension ? parseQuantMatrixExtension : parseSequenceHeader)(body.data(), body.size(), 0);
        EXPECT_EQ(std::tuple(parse.status, parse.length, parse.load.intra, parse.load.nonIntra),
                  std::tuple(HeaderStatus::Ok, c.length, c.intra, c.nonIntra));
    }
}

TEST(QuantDumpHeaders, DamagedHeadersAreRefusedAndCutOnesWaitForMore) {
    SequenceFields zeroWidth, noMarker;
    zeroWidth.width = noMarker.marker = 0;
    Matrix withZero = kA;
    withZero[37] = 0;
    const Bytes next = {0, 0, 1, 0xB8};
    const Bytes damaged[] = {sequenceHeaderBody(kA, kB, zeroWidth) + next, sequenceHeaderBody(kA, kB, noMarker) + next,
                             sequenceHeaderBody(withZero, std::nullopt) + next,
                             sequenceHeaderBody(kA, kB) +
                                 Bytes{0x47, 0x11, 0x22, 0x33}}; // not followed by a start code
    for (const Bytes& body : damaged)
        for (const bool atEnd : {false, true})
            EXPECT_EQ(parseSequenceHeader(body.data(), body.size(), atEnd).status, HeaderStatus::Damaged)
                << &body - damaged;
    const Bytes otherExtension = quantExtensionBody(kA, kB, {}, {}, 8);
    EXPECT_EQ(parseQuantMatrixExtension(otherExtension.data(), otherExtension.size(), true).status,
              HeaderStatus::Damaged);

    const Bytes seq = sequenceHeaderBody(kA, kB) + Bytes{0, 0}, ext = quantExtensionBody(kA, kB, kC, kC) + Bytes{0, 0};
    for (std::size_t cut = 0; cut < 257; ++cut)
        for (const bool atEnd : {false, true}) {
            const HeaderStatus want = atEnd ? HeaderStatus::Damaged : HeaderStatus::NeedMore;
            EXPECT_TRUE(cut >= 136 || parseSequenceHeader(seq.data(), cut, atEnd).status == want) << cut;
            EXPECT_EQ(parseQuantMatrixExtension(ext.data(), cut, atEnd).status, want) << cut;
        }
    // Whole header but not yet the bytes after it: wait, unless the stream ends right there.
    EXPECT_EQ(parseSequenceHeader(seq.data(), 136, false).status, HeaderStatus::NeedMore);
    EXPECT_EQ(parseSequenceHeader(seq.data(), 136, true).status, HeaderStatus::Ok);
    EXPECT_EQ(parseQuantMatrixExtension(ext.data(), 257, true).status, HeaderStatus::Ok);
}

TEST(QuantDumpElementary, FollowsTheMatricesAsADecoderDoesHoweverTheStreamIsCut) {
    const MatrixPair aDefault{kA, kDefaults.nonIntra}, defaultB{kDefaults.intra, kB};
    SequenceFields noMarker;
    noMarker.marker = 0;
    Bytes cut = EsBuilder().sequenceUsing(kAB).startCode(0xB3).append(sequenceHeaderBody(kC, kC)).bytes();
    cut.resize(cut.size() - 60);
    const struct {
        const char* name;
        Bytes stream;
        Outcome outcome;
    } cases[] = {
        {"defaults only", EsBuilder().sequencesUsing({kDefaults, kDefaults}).bytes(), expected({})},
        {"only a custom intra", EsBuilder().sequenceUsing(aDefault).bytes(), expected(aDefault)},
        {"only a custom non-intra", EsBuilder().sequenceUsing(defaultB).bytes(), expected(defaultB)},
        // A pair repeated or back to the defaults is no second pair.
        {"second pair differs from the defaults and the first",
         EsBuilder().sequencesUsing({kDefaults, kAB, kDefaults, kAB, aDefault, kBA}).bytes(), expected(kAB, aDefault)},
        {"a header loading one matrix sets the other back to its default",
         EsBuilder().sequenceUsing(kAB).sequence(std::nullopt, kA).picture().bytes(),
         expected(kAB, MatrixPair{kDefaults.intra, kA})},
        {"extension completing the pair before any slice",
         EsBuilder().sequence(kA, std::nullopt).quantExtension(std::nullopt, kB).picture().bytes(), expected(kAB)},
        {"extension replaces only what it loads",
         EsBuilder().sequenceUsing(kAB).pictureHeader().quantExtension(kC, std::nullopt).slices().bytes(),
         expected(kAB, MatrixPair{kC, kB})},
        {"extension before any sequence header",
         EsBuilder().quantExtension(kC, kC).picture().sequenceUsing(kDefaults).bytes(), expected({})},
        {"damaged sequence header", EsBuilder().sequenceUsing(kAB).sequence(kC, kC, noMarker).picture().bytes(),
         expected(kAB)},
        // Matrices that no picture is coded with never count.
        {"a sequence header followed only by the end",
         EsBuilder().sequenceUsing(kAB).startCode(0xB3).append(sequenceHeaderBody(kB, kB)).bytes(), expected(kAB)},
        {"a sequence header and a picture header without slices",
         EsBuilder().sequenceUsing(kAB).sequence(kB, kB).pictureHeader().bytes(), expected(kAB)},
        {"a sequence header and nothing else codes no picture", EsBuilder().sequence(kA, kB).bytes(),
         Outcome{true, std::nullopt, std::nullopt, false}},
        {"cut inside a sequence header", cut, expected(kAB)},
        {"no sequence header", EsBuilder().picture().quantExtension(kA, kB).picture().bytes(), Outcome{}}};
    for (const auto& c : cases)
        for (const std::size_t piece : Sizes{c.stream.size(), 1, 3, 17, 140, 263})
            EXPECT_EQ(scanElementary(c.stream, piece), c.outcome) << c.name << ", pieces of " << piece;
}

TEST(QuantDumpProgramStream, ReadsTheFirstVideoStreamWhateverItsPacketFormReadOrBlockSize) {
    const Outcome both = expected(kAB, kBA, StreamKind::Program);
    for (const bool mpeg1 : {false, true}) {
        // Payloads of 20 bytes split every header across several packets.
        for (const std::size_t payload : {20, 37, 2000}) {
            const Bytes ps = programStream(kEsABBA, payload, mpeg1);
            for (const std::size_t readSize : Sizes{1, 13, ps.size()})
                EXPECT_EQ(scanStream(ps, readSize), both) << mpeg1 << ", " << payload << ", reads " << readSize;
            for (const std::size_t blockSize : {1, 3, 30, 1000})
                EXPECT_EQ(scanStream(ps, 1 << 20, blockSize), both) << mpeg1 << ", blocks of " << blockSize;
        }
    }
    // Junk and damaged items between packs are skipped.
    const auto half = kEsAB.begin() + static_cast<std::ptrdiff_t>(kEsAB.size() / 2);
    PsBuilder junk;
    junk.raw({0x47, 0x00, 0x00, 0x01, 0x00, 0x13, 0x00}); // junk, holding a picture start code
    junk.pack().pes(0xE0, Bytes(kEsAB.begin(), half));
    junk.raw({0, 0, 1, 0xBA, 0x44, 0x00, 0x00, 0x00}); // pack header with cleared marker bits
    junk.raw({0, 0, 1, 0xE0, 0x00, 0x02, 0x80});       // PES header longer than its packet
    junk.raw({0xFF, 0x00, 0x00, 0x01, 0xB3, 0x00});    // a video start code at system level
    junk.plainPacket(0xE0, Bytes(17, 0xFF) + Bytes{0x0F} + decoySequenceHeader(kDecoy)); // stuffing over 16 bytes
    junk.pack().pes(0xE0, Bytes(half, kEsAB.end())).raw({0, 0, 1, 0xB9});
    for (const std::size_t readSize : Sizes{3, junk.bytes().size()})
        EXPECT_EQ(scanStream(junk.bytes(), readSize), expected(kAB, {}, StreamKind::Program)) << readSize;
}

TEST(QuantDumpProgramStream, DamagedFirstPackOrCutFirstVideoPacketDoNotReadOtherPayloadsAsVideo) {
    // Audio, padding and private payloads carry a sequence header loading kDecoy, which a reader
    // that took the stream for an elementary one would report as the second pair.
    const Bytes decoy = decoySequenceHeader(kDecoy);
    const auto build = [&](bool damagedPack) {
        PsBuilder ps;
        if (damagedPack)
            ps.raw({0, 0, 1, 0xBA, 0x44, 0, 0, 0, 0, 0, 0, 0, 0, 0});
        else
            ps.pack();
        ps.pes(0xE0, kEsAB).pack().pes(0xC0, decoy).pack().plainPacket(0xBE, decoy).pack().pes(0xBD, decoy);
        ps.pack().pes(0xE0, EsBuilder(2).picture().bytes()).raw({0, 0, 1, 0xB9});
        return ps.bytes();
    };
    const Bytes damaged = build(true), whole = build(false);
    const Outcome want = expected(kAB, {}, StreamKind::Program);
    // A damaged first pack, or a video packet start code after a sequence header (a file cut inside a
    // video packet), still tell a program stream.
    for (const Bytes& stream : {damaged, kEsAB + Bytes{0, 0, 1, 0xE3, 0, 3, 0x0F, 0, 0}})
        EXPECT_EQ(scanStream(stream, 7), want) << stream.size();
    // Pack header 14 bytes, packet start and length 6, MPEG-2 packet header 8: the cuts fall inside
    // the packet's start code, its header, and at its payload's first byte.
    for (const std::size_t cut : {16, 18, 20, 24, 28}) {
        const Bytes stream(whole.begin() + static_cast<std::ptrdiff_t>(cut), whole.end());
        for (const std::size_t readSize : Sizes{1, 5, stream.size()})
            EXPECT_EQ(scanStream(stream, readSize), want) << "cut at " << cut << ", reads of " << readSize;
    }
}

TEST(QuantDumpProgramStream, CorruptedAndTruncatedStreamsGiveTheSameResultWhateverTheReadSize) {
    // Damage decides what is found; how the bytes arrive must not. Also a crash test under the
    // sanitizers: flipped bytes and cut streams, elementary and program streams.
    const std::vector<Bytes> originals = {kEsABBA, programStream(kEsABBA, 60), programStream(kEsABBA, 333, true)};
    std::mt19937 random(20240601);
    for (int round = 0; round < 120; ++round) {
        Bytes stream = originals[round % originals.size()];
        std::uniform_int_distribution<std::size_t> position(0, stream.size() - 1);
        for (int f = 0; f <= round % 12; ++f)
            stream[position(random)] = static_cast<std::uint8_t>(random() % 4 == 0 ? 0 : random());
        if (round % 3 == 0)
            stream.resize(position(random));
        const Outcome whole = scanStream(stream, stream.size() + 1);
        EXPECT_EQ(scanStream(stream, 1 + random() % 700), whole) << "round " << round;
        EXPECT_EQ(scanStream(stream, 1), whole) << "round " << round;
    }
}

// The plain search itself is what every stream test above relies on.
TEST(QuantDumpStartCode, EveryVersionFindsWhatThePlainSearchFindsFromEveryPosition) {
    std::mt19937 random(7);
    const std::uint8_t dense[] = {0, 0, 0, 1, 1, 0xB3, 0xFF};
    for (std::size_t size = 0; size < 400; size += 1 + size / 40) {
        for (int variant = 0; variant < 3; ++variant) {
            // Many prefixes and near misses; random bytes; nothing but one prefix at the very end.
            Bytes data(size, 0xFF);
            for (auto& b : data)
                b = variant == 0 ? dense[random() % 7] : variant == 1 ? static_cast<std::uint8_t>(random()) : 0xFF;
            if (variant == 2 && size >= 3)
                std::fill(data.end() - 3, data.end() - 1, 0), data.back() = 1;
            for (std::size_t from = 0; from <= size; ++from) {
                const std::size_t want = findStartCodeScalar(data.data(), from, size);
                ASSERT_EQ(findStartCodeSse2(data.data(), from, size), want) << size << " from " << from;
                ASSERT_EQ(findStartCodeAvx2(data.data(), from, size), want) << size << " from " << from;
                ASSERT_EQ(findStartCode(data.data(), from, size), want) << size << " from " << from;
            }
        }
    }
}
