#include <gtest/gtest.h>

#include <random>

#include "engine/PassOrder.h"

namespace {

using Groups = std::vector<std::vector<std::size_t>>;

// Files match when their contents are equal and both could be read; keys are derived from the
// contents, with collisions (two contents, one key) when collide is set.
struct TFiles {
    std::vector<int> Contents;  // -1: cannot be read
    bool Collide = false;
    std::optional<std::uint64_t> Key(std::size_t i) const
    {
        if (Contents[i] < 0)
            return std::nullopt;
        return static_cast<std::uint64_t>(Collide ? Contents[i] / 2 : Contents[i]);
    }
    bool Match(std::size_t a, std::size_t b) const
    {
        return Contents[a] >= 0 && Contents[a] == Contents[b];
    }
};

// Every file checked against the head of every pass: one group a head.
Groups Plainly(const TFiles& files)
{
    Groups groups;
    std::vector<std::size_t> left;
    for (std::size_t i = 0; i < files.Contents.size(); ++i) left.push_back(i);
    while (left.size() >= 2) {
        std::vector<std::size_t> group{left.front()}, unmatched;
        for (std::size_t k = 1; k < left.size(); ++k)
            (files.Match(left.front(), left[k]) ? group : unmatched).push_back(left[k]);
        if (group.size() > 1)
            groups.push_back(group);
        left = unmatched;
    }
    return groups;
}

Groups ByPassOrder(const TFiles& files, std::size_t* visits = nullptr)
{
    std::vector<std::optional<std::uint64_t>> keys;
    for (std::size_t i = 0; i < files.Contents.size(); ++i) keys.push_back(files.Key(i));
    TPassOrder order(keys);
    Groups groups;
    std::size_t head = 0, file = 0;
    while (order.StartPass(head)) {
        std::vector<std::size_t> group{head};
        while (order.NextCandidate(file)) {
            if (visits)
                ++*visits;
            if (files.Match(head, file)) {
                group.push_back(file);
                order.Remove(file);
            }
        }
        if (group.size() > 1)
            groups.push_back(group);
    }
    return groups;
}

TEST(PassOrderTest, GivesTheGroupsOfCheckingEveryFile)
{
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        TFiles files;
        files.Collide = round % 3 == 0;
        const int count = 2 + static_cast<int>(random() % 14);
        const int kinds = 1 + static_cast<int>(random() % 5);
        for (int i = 0; i < count; ++i) {
            files.Contents.push_back(random() % 9 == 0 ? -1 : static_cast<int>(random() % kinds));
        }
        ASSERT_EQ(ByPassOrder(files), Plainly(files)) << "round " << round;
    }
}

TEST(PassOrderTest, DifferentFilesCostOneStepEach)
{
    for (const int same : {1, 2}) {  // 5000 files all different, then 2500 pairs
        TFiles files;
        for (int i = 0; i < 5000; ++i) files.Contents.push_back(i / same);
        const std::size_t pairs = same == 1 ? 0 : 2500;
        std::size_t visits = 0;
        EXPECT_EQ(ByPassOrder(files, &visits).size(), pairs);
        EXPECT_EQ(visits, pairs);
    }
}

}  // namespace
