#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "engine/PassOrder.h"

namespace {

using Groups = std::vector<std::vector<std::size_t>>;

// Files match when their contents are equal and readable (not -1); with collide, two contents
// share a key. One group a head: the files of equal contents, in the order of their first.
Groups Plainly(const std::vector<int>& contents)
{
    std::map<int, std::vector<std::size_t>> byContents;
    for (std::size_t i = 0; i < contents.size(); ++i)
        if (contents[i] >= 0)
            byContents[contents[i]].push_back(i);
    Groups groups;
    for (const auto& [c, files] : byContents)
        if (files.size() > 1)
            groups.push_back(files);
    std::sort(groups.begin(), groups.end());
    return groups;
}

Groups ByPassOrder(const std::vector<int>& contents, bool collide, std::size_t& visits)
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
            ++visits;
            if (contents[head] >= 0 && contents[head] == contents[file]) {  // readable, equal
                group.push_back(file);
                order.Remove(file);
            }
        }
        if (group.size() > 1)
            groups.push_back(group);
    }
    return groups;
}

// The groups of checking every file, at one step a file that is not alone: 5000 files all
// different cost none, 2500 pairs one each.
TEST(PassOrderTest, GivesTheGroupsOfCheckingEveryFileInFewSteps)
{
    std::mt19937 random(7);
    std::size_t visits = 0;
    for (int round = 0; round < 2000; ++round) {
        std::vector<int> contents(2 + random() % 14);
        const int kinds = 1 + static_cast<int>(random() % 5);
        for (int& c : contents) c = random() % 9 == 0 ? -1 : static_cast<int>(random() % kinds);
        ASSERT_EQ(ByPassOrder(contents, round % 3 == 0, visits), Plainly(contents)) << round;
    }
    for (const int same : {1, 2}) {
        std::vector<int> contents(5000);
        for (int i = 0; i < 5000; ++i) contents[i] = i / same;
        visits = 0;
        EXPECT_EQ(ByPassOrder(contents, false, visits).size(), same == 1 ? 0u : 2500u);
        EXPECT_EQ(visits, same == 1 ? 0u : 2500u);
    }
}

}  // namespace
