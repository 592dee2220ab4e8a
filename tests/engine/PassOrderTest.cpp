#include <gtest/gtest.h>

#include <random>

#include "engine/PassOrder.h"

namespace {

using Groups = std::vector<std::vector<std::size_t>>;

// Files match when their contents are equal and readable (not -1). Keys come from the
// contents; with collide, two contents share a key.
bool Match(const std::vector<int>& contents, std::size_t a, std::size_t b)
{
    return contents[a] >= 0 && contents[a] == contents[b];
}

// Every file left checked against the head of every pass: one group a head.
Groups Plainly(const std::vector<int>& contents)
{
    Groups groups;
    std::vector<std::size_t> left(contents.size());
    for (std::size_t i = 0; i < left.size(); ++i) left[i] = i;
    while (left.size() >= 2) {
        std::vector<std::size_t> group{left.front()}, unmatched;
        for (std::size_t k = 1; k < left.size(); ++k)
            (Match(contents, left.front(), left[k]) ? group : unmatched).push_back(left[k]);
        if (group.size() > 1)
            groups.push_back(group);
        left = unmatched;
    }
    return groups;
}

Groups ByPassOrder(const std::vector<int>& contents, bool collide, std::size_t* visits = nullptr)
{
    std::vector<std::optional<std::uint64_t>> keys;
    for (const int c : contents)
        keys.push_back(c < 0 ? std::nullopt : std::optional<std::uint64_t>(collide ? c / 2 : c));
    TPassOrder order(keys);
    Groups groups;
    std::size_t head = 0, file = 0;
    while (order.StartPass(head)) {
        std::vector<std::size_t> group{head};
        while (order.NextCandidate(file)) {
            if (visits)
                ++*visits;
            if (Match(contents, head, file)) {
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
        std::vector<int> contents(2 + random() % 14);
        const int kinds = 1 + static_cast<int>(random() % 5);
        for (int& c : contents) c = random() % 9 == 0 ? -1 : static_cast<int>(random() % kinds);
        ASSERT_EQ(ByPassOrder(contents, round % 3 == 0), Plainly(contents)) << "round " << round;
    }
}

TEST(PassOrderTest, DifferentFilesCostOneStepEach)
{
    for (const int same : {1, 2}) {  // 5000 files all different, then 2500 pairs
        std::vector<int> contents(5000);
        for (int i = 0; i < 5000; ++i) contents[i] = i / same;
        std::size_t visits = 0;
        EXPECT_EQ(ByPassOrder(contents, false, &visits).size(), same == 1 ? 0u : 2500u);
        EXPECT_EQ(visits, same == 1 ? 0u : 2500u);
    }
}

}  // namespace
