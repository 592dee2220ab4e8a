#include "engine/ContentReader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "engine/ContentHash.h"
#include "platform/Drives.h"
#include "support/TempTree.h"

namespace {

class ContentReaderTest : public testing::Test {
protected:
    void SetUp() override { TDriveTable::SetCurrent(TDriveTable::FromFolders({Tree.Root()})); }
    void TearDown() override { TDriveTable::ResetCurrent(); }

    // An open file of the given contents.
    const TFileContent& File(const std::string& name, const std::string& contents)
    {
        Tree.WriteFile(name, contents);
        Files.emplace_back(std::make_unique<TFileContent>());
        EXPECT_TRUE(Files.back()->Open("C:\\" + name));
        return *Files.back();
    }
    static std::string Data(std::size_t size, unsigned seed)
    {
        std::string data(size, '\0');
        for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 131 + seed * 7) % 251);
        return data;
    }

    TTempTree Tree;
    std::vector<std::unique_ptr<TFileContent>> Files;
    TContentReader Reader;
};

TEST_F(ContentReaderTest, ChecksumAddsLittleEndianWordsOfTheFirst512Bytes)
{
    const std::string words("\x01\x00\x00\x00\x02\x00\x00\x00\xFF\xFF\xFF\xFF\x07", 13);
    // 1 + 2 + 0xFFFFFFFF wraps to 2; the 13th byte is no whole word.
    EXPECT_EQ(TContentReader::HeadChecksum(words, 13), 2u);
    EXPECT_EQ(TContentReader::HeadChecksum(std::string(4, '\xFF'), 4), 0x7FFFFFFFu);  // bit 31 cleared
    EXPECT_EQ(TContentReader::HeadChecksum("abc", 3), 0u);
    std::string big(600, '\0');
    big[0] = 1;
    big[520] = 1;  // beyond the 128th word: not counted
    EXPECT_EQ(TContentReader::HeadChecksum(big, 600), 1u);
    // A head shorter than the size promises (the file shrank): no checksum.
    EXPECT_EQ(TContentReader::HeadChecksum("\x01\x00\x00\x00", 8), 0u);
}

TEST_F(ContentReaderTest, ContentsCompareWholeAndNeverPastTheRealEnd)
{
    const std::string data = Data(700'000, 1);  // several blocks
    std::string late = data;
    late.back() ^= 1;
    const TFileContent& a = File("a", data);
    const TFileContent& b = File("b", data);
    const TFileContent& c = File("c", late);
    const TFileContent& shorter = File("d", data.substr(0, 699'999));

    EXPECT_TRUE(Reader.SameContents(a, b, 700'000));
    EXPECT_FALSE(Reader.SameContents(a, c, 700'000));
    EXPECT_FALSE(Reader.SameContents(a, shorter, 700'000));
    EXPECT_TRUE(Reader.SameContents(a, shorter, 699'999));  // only the first size bytes count

    std::string headA, headB;
    ASSERT_TRUE(TContentReader::ReadHead(a, 700'000, headA));
    ASSERT_TRUE(TContentReader::ReadHead(c, 700'000, headB));
    EXPECT_EQ(headA.size(), kHeadBytes);
    EXPECT_FALSE(Reader.SameContents(a, c, 700'000, headA, headB));
    headB[0] ^= 1;  // the heads given are trusted: a difference there decides
    EXPECT_FALSE(Reader.SameContents(a, b, 700'000, headA, headB));
}

TEST_F(ContentReaderTest, AFileThatShrinksAfterOpeningIsReadShort)
{
    const std::string data = Data(300'000, 2);
    const TFileContent& a = File("a", data);
    const TFileContent& b = File("b", data);
    ASSERT_EQ(truncate(Tree.Path("b").c_str(), 1000), 0);

    EXPECT_FALSE(Reader.SameContents(a, b, 300'000));
    std::uint64_t hash = 0;
    EXPECT_FALSE(Reader.HashContents(b, 300'000, hash));
    std::string head;
    EXPECT_FALSE(TContentReader::ReadHead(b, 300'000, head));
}

TEST_F(ContentReaderTest, TheCallbackBetweenBlocksMayAbandonTheRead)
{
    const std::string data = Data(1'000'000, 3);
    const TFileContent& a = File("a", data);
    const TFileContent& b = File("b", data);
    int calls = 0;
    Reader.OnBlock = [&calls] { return ++calls < 2; };

    EXPECT_FALSE(Reader.SameContents(a, b, 1'000'000));
    EXPECT_EQ(calls, 2);
    Reader.OnBlock = [&calls] { return ++calls > 0; };
    EXPECT_TRUE(Reader.SameContents(a, b, 1'000'000));
}

TEST_F(ContentReaderTest, HashesAgreeForEqualContentsOnly)
{
    const std::string data = Data(400'000, 4);
    std::string other = data;
    other[123'456] ^= 0x40;
    std::uint64_t h1 = 0, h2 = 0, h3 = 0;
    ASSERT_TRUE(Reader.HashContents(File("a", data), 400'000, h1));
    ASSERT_TRUE(Reader.HashContents(File("b", data), 400'000, h2));
    ASSERT_TRUE(Reader.HashContents(File("c", other), 400'000, h3));
    EXPECT_EQ(h1, h2);
    EXPECT_NE(h1, h3);
}

TEST(ContentHashTest, PiecesOfAnyLengthGiveTheHashOfTheWhole)
{
    const std::string data = "The quick brown fox jumps over the lazy dog, twice over.";
    TContentHash whole;
    whole.Update(data.data(), data.size());
    for (std::size_t cut = 0; cut <= data.size(); ++cut) {
        TContentHash pieces;
        pieces.Update(data.data(), cut);
        pieces.Update(data.data() + cut, 3 < data.size() - cut ? 3 : data.size() - cut);
        pieces.Update(data.data() + cut + std::min<std::size_t>(3, data.size() - cut),
                      data.size() - cut - std::min<std::size_t>(3, data.size() - cut));
        EXPECT_EQ(pieces.Final(), whole.Final()) << cut;
    }
    TContentHash shorter, zeros;
    shorter.Update(data.data(), data.size() - 1);
    EXPECT_NE(shorter.Final(), whole.Final());
    zeros.Update("\0\0\0\0\0\0\0\0", 8);
    TContentHash fewerZeros;
    fewerZeros.Update("\0\0\0\0", 4);
    EXPECT_NE(zeros.Final(), fewerZeros.Final());  // the length counts
}

}  // namespace
