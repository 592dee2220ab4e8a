#include "engine/ContentReader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "engine/ContentHash.h"
#include "engine/SearchFixture.h"

namespace {

class ContentReaderTest : public SearchFixture {
protected:
    // An open file of the given contents.
    const TFileContent& File(const std::string& name, const std::string& contents)
    {
        Write(name, contents);
        Files.emplace_back(std::make_unique<TFileContent>());
        EXPECT_TRUE(Files.back()->Open(C(name)));
        return *Files.back();
    }

    std::vector<std::unique_ptr<TFileContent>> Files;
    TContentReader Reader;
};

TEST_F(ContentReaderTest, ChecksumAddsLittleEndianWordsOfTheFirst512Bytes)
{
    // 1 + 2 + 0xFFFFFFFF wraps to 2; the 13th byte is no whole word.
    EXPECT_EQ(TContentReader::HeadChecksum({"\1\0\0\0\2\0\0\0\xFF\xFF\xFF\xFF\7", 13}, 13), 2u);
    EXPECT_EQ(TContentReader::HeadChecksum(std::string(4, '\xFF'), 4), 0x7FFFFFFFu);  // bit 31 off
    std::string big(600, '\0');
    big[0] = big[520] = 1;  // beyond the 128th word: not counted
    EXPECT_EQ(TContentReader::HeadChecksum(big, 600), 1u);
    // A head shorter than the size promises (the file shrank): no checksum.
    EXPECT_EQ(TContentReader::HeadChecksum({"\1\0\0\0", 4}, 8), 0u);
}

TEST_F(ContentReaderTest, ContentsCompareWholeAndNeverPastTheRealEnd)
{
    const std::string data = Bytes(700'000, 1);  // several blocks
    const TFileContent& a = File("a", data);
    const TFileContent& b = File("b", data);
    const TFileContent& c = File("c", Bytes(700'000, 1, 699'999));
    const TFileContent& shorter = File("d", data.substr(0, 699'999));
    EXPECT_TRUE(Reader.SameContents(a, b, 700'000));
    EXPECT_FALSE(Reader.SameContents(a, c, 700'000));
    EXPECT_FALSE(Reader.SameContents(a, shorter, 700'000));
    EXPECT_TRUE(Reader.SameContents(a, shorter, 699'999));  // only the first size bytes count

    std::string headA, headB;
    ASSERT_TRUE(TContentReader::ReadHead(a, 700'000, headA));
    ASSERT_TRUE(TContentReader::ReadHead(b, 700'000, headB));
    EXPECT_EQ(headA.size(), kHeadBytes);
    headB[0] ^= 1;  // the heads given are trusted: a difference there decides
    EXPECT_FALSE(Reader.SameContents(a, b, 700'000, headA, headB));

    std::uint64_t hashA = 0, hashB = 0, hashC = 0;
    ASSERT_TRUE(Reader.HashContents(a, 700'000, hashA) && Reader.HashContents(b, 700'000, hashB) &&
                Reader.HashContents(c, 700'000, hashC));
    EXPECT_EQ(hashA, hashB);
    EXPECT_NE(hashA, hashC);

    // A file that shrinks after opening is read short by every reader.
    ASSERT_EQ(truncate(Tree.Path("b").c_str(), 1000), 0);
    EXPECT_FALSE(Reader.SameContents(a, b, 700'000));
    EXPECT_FALSE(Reader.HashContents(b, 700'000, hashB));
    EXPECT_FALSE(TContentReader::ReadHead(b, 700'000, headB));

    // The callback between blocks may abandon the read.
    int calls = 0;
    Reader.OnBlock = [&calls] { return ++calls < 2; };
    EXPECT_FALSE(Reader.SameContents(a, File("e", data), 700'000));
    EXPECT_EQ(calls, 2);
}

TEST(ContentHashTest, PiecesOfAnyLengthGiveTheHashOfTheWhole)
{
    const std::string data = "The quick brown fox jumps over the lazy dog, twice over.";
    const auto hash = [](std::initializer_list<std::string_view> pieces) {
        TContentHash h;
        for (std::string_view piece : pieces) h.Update(piece.data(), piece.size());
        return h.Final();
    };
    const std::string_view all = data;
    for (std::size_t cut = 0; cut <= data.size(); ++cut) {
        const std::size_t mid = std::min<std::size_t>(3, data.size() - cut);
        EXPECT_EQ(hash({all.substr(0, cut), all.substr(cut, mid), all.substr(cut + mid)}), hash({all}))
            << cut;
    }
    EXPECT_NE(hash({all.substr(1)}), hash({all}));
    EXPECT_NE(hash({{"\0\0\0\0\0\0\0\0", 8}}), hash({{"\0\0\0\0", 4}}));  // the length counts
}

}  // namespace
