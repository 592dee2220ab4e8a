#include <gtest/gtest.h>
#include <unistd.h>

#include "engine/ContentReader.h"
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

    std::uint64_t hashA = 0, hashC = 0;
    ASSERT_TRUE(Reader.HashContents(a, 700'000, hashA) && Reader.HashContents(c, 700'000, hashC));
    EXPECT_NE(hashA, hashC);

    // A file that shrinks after opening is read short by every reader.
    ASSERT_EQ(truncate(Tree.Path("b").c_str(), 1000), 0);
    std::string head;
    EXPECT_FALSE(Reader.SameContents(a, b, 700'000));
    EXPECT_FALSE(Reader.HashContents(b, 700'000, hashA));
    EXPECT_FALSE(TContentReader::ReadHead(b, 700'000, head));
}

}  // namespace
