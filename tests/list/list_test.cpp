#include "addresslimit.h"
#include "list.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <vector>

namespace
{

constexpr int kLongListLength = 1000000;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

ListElem point(float x, float y, int32_t extra = 0)
{
    return ListElem{x, y, extra};
}

std::vector<ListNode *> nodesOf(ListNode *l)
{
    std::vector<ListNode *> nodes;
    for (; l != nullptr; l = l->next) {
        nodes.push_back(l);
    }
    return nodes;
}

// Nodes whose release the tests watch for, and how often each was freed.
constexpr int kWatchedNodes = 4;
std::atomic<void *> watchedNodes[kWatchedNodes];
std::atomic<int> watchedFrees[kWatchedNodes];

void watchNodes(const std::vector<ListNode *> &nodes)
{
    for (int i = 0; i < kWatchedNodes; ++i) {
        watchedNodes[i] = i < static_cast<int>(nodes.size()) ? nodes[i] : nullptr;
        watchedFrees[i] = 0;
    }
}

// A heap-free copy, so that taking it cannot reuse a watched node's memory.
std::array<int, kWatchedNodes> watchedFreeCounts()
{
    std::array<int, kWatchedNodes> counts{};
    for (int i = 0; i < kWatchedNodes; ++i) {
        counts[i] = watchedFrees[i];
    }
    return counts;
}

} // namespace

#if !defined(__SANITIZE_ADDRESS__)
// Counts the release of watched nodes, then hands every pointer on to the C
// library. Left out under a sanitizer, which brings its own free.
extern "C" void __libc_free(void *);
extern "C" void free(void *p) noexcept
{
    for (int i = 0; i < kWatchedNodes; ++i) {
        if (p != nullptr && watchedNodes[i] == p) {
            ++watchedFrees[i];
        }
    }
    __libc_free(p);
}
#endif

class ListTest : public testing::Test
{
protected:
    void TearDown() override { freeList(list); }

    ListNode *list = emptyList();
};

TEST_F(ListTest, LengthCountsNodesFromEmpty)
{
    EXPECT_TRUE(isEmptyList(list));
    EXPECT_EQ(length(list), 0);
    list = cons(point(1, 2), list);
    EXPECT_FALSE(isEmptyList(list));
    EXPECT_EQ(length(list), 1);
    list = prepend(point(3, 4), list);
    EXPECT_EQ(length(list), 2);
}

TEST_F(ListTest, ConsPutsElementInFrontWithoutCopyingTheRest)
{
    list = cons(point(1, 2, 7), list);
    ListNode *rest = list;
    list = cons(point(3, 4, 9), list);
    EXPECT_EQ(tail(list), rest);
    const ListElem first = head(list);
    EXPECT_EQ(first.x, 3.0f);
    EXPECT_EQ(first.y, 4.0f);
    EXPECT_EQ(first.extra, 9);
    EXPECT_EQ(nth(list, 1).extra, 7);
}

TEST_F(ListTest, RemoveHeadReturnsTheRest)
{
    list = cons(point(1, 1), list);
    ListNode *rest = list;
    list = cons(point(2, 2), list);
    list = removeHead(list);
    EXPECT_EQ(list, rest);
}

TEST_F(ListTest, EqualityUsesToleranceOnBothAxesAndIgnoresExtra)
{
    EXPECT_TRUE(equalElem(point(0, 0, 1), point(0, 0, 2)));
    EXPECT_TRUE(equalElem(point(1e-17f, 0), point(0, 0)));
    EXPECT_TRUE(equalElem(point(0, kListElemTolerance), point(0, 0)));
    EXPECT_FALSE(equalElem(point(0, 2 * kListElemTolerance), point(0, 0)));
    EXPECT_FALSE(equalElem(point(1e-6f, 0), point(0, 0)));
    EXPECT_FALSE(equalElem(point(0, 1e-6f), point(0, 0)));
}

TEST_F(ListTest, GreaterOrEqualNeedsBothCoordinatesAndFailsOnNan)
{
    EXPECT_TRUE(geqElem(point(1, 1), point(1, 1)));
    EXPECT_TRUE(geqElem(point(2, 1), point(1, 0)));
    EXPECT_FALSE(geqElem(point(2, 0), point(1, 1)));
    EXPECT_FALSE(geqElem(point(0, 2), point(1, 1)));
    EXPECT_FALSE(geqElem(point(std::nanf(""), 1), point(0, 0)));
    EXPECT_FALSE(geqElem(point(1, 1), point(0, std::nanf(""))));
}

TEST_F(ListTest, InsertUniqueSkipsElementsEqualWithinTolerance)
{
    list = cons(point(0, 0), list);
    ListNode *before = list;
    list = insertUnique(point(1e-17f, 0), list);
    EXPECT_EQ(list, before);
    EXPECT_EQ(length(list), 1);

    list = insertUnique(point(1e-6f, 0), list);
    EXPECT_EQ(length(list), 2);
    EXPECT_FLOAT_EQ(head(list).x, 1e-6f);
}

TEST_F(ListTest, RemoveFirstDropsOnlyTheFirstMatchAndKeepsOtherNodes)
{
    list = cons(point(1, 1, 3), list);
    list = cons(point(2, 2), list);
    list = cons(point(1, 1, 1), list);
    list = cons(point(5, 5), list);
    const std::vector<ListNode *> before = nodesOf(list);

    list = removeFirst(point(1, 1), list);
    const std::vector<ListNode *> expected{before[0], before[2], before[3]};
    EXPECT_EQ(nodesOf(list), expected);
    EXPECT_EQ(nth(list, 2).extra, 3);

    list = removeFirst(point(9, 9), list);
    EXPECT_EQ(nodesOf(list), expected);
}

TEST_F(ListTest, RemoveAllDropsEveryMatchAndRelinksTheRest)
{
    list = cons(point(1, 1), list);
    list = cons(point(2, 2), list);
    list = cons(point(1, 1), list);
    list = cons(point(1, 1), list);
    list = cons(point(3, 3), list);
    const std::vector<ListNode *> before = nodesOf(list);

    list = removeAllChecked(point(1, 1), list);
    const std::vector<ListNode *> expected{before[0], before[3]};
    EXPECT_EQ(nodesOf(list), expected);
    EXPECT_FALSE(isInList(point(1, 1), list));
}

TEST_F(ListTest, RemovalFreesExactlyTheRemovedNodes)
{
    if (kSanitized) {
        GTEST_SKIP() << "the sanitizer's own leak and double-free checks stand in here";
    }
    list = cons(point(8, 8), list);
    for (int i = 0; i < 3; ++i) {
        list = cons(point(4, 4), list);
    }
    const std::vector<ListNode *> nodes = nodesOf(list);
    watchNodes(nodes);

    list = removeFirst(point(4, 4), list);
    const std::array<int, kWatchedNodes> firstFreed{1, 0, 0, 0};
    EXPECT_EQ(watchedFreeCounts(), firstFreed);
    EXPECT_EQ(length(list), 3);

    // The freed first node's memory may be handed out again: watch the rest only.
    watchNodes({nodes[1], nodes[2], nodes[3]});
    list = removeAll(point(4, 4), list);
    const std::array<int, kWatchedNodes> restFreed{1, 1, 0, 0};
    EXPECT_EQ(watchedFreeCounts(), restFreed);
    EXPECT_EQ(list, nodes[3]);
    watchNodes({});
}

TEST_F(ListTest, EveryWalkHandlesAMillionElements)
{
    for (int i = 0; i < kLongListLength; ++i) {
        list = cons(point(static_cast<float>(i), static_cast<float>(i % 2)), list);
    }
    EXPECT_EQ(length(list), kLongListLength);
    EXPECT_EQ(nth(list, kLongListLength - 1).x, 0.0f);
    EXPECT_TRUE(isInList(point(0, 0), list));
    EXPECT_FALSE(isInList(point(-1, 0), list));

    list = removeFirst(point(0, 0), list);
    EXPECT_EQ(length(list), kLongListLength - 1);
    list = removeAll(point(-1, 0), list);
    EXPECT_EQ(length(list), kLongListLength - 1);

    freeList(list);
    list = emptyList();
}

using ListDeathTest = ListTest;

TEST_F(ListDeathTest, AccessToAnEmptyListFailsTheAssertion)
{
    EXPECT_DEATH(head(emptyList()), "! isEmptyList\\(l\\)");
    EXPECT_DEATH(tail(emptyList()), "! isEmptyList\\(l\\)");
    EXPECT_DEATH(removeHead(emptyList()), "! isEmptyList\\(l\\)");
}

TEST_F(ListDeathTest, NthOutsideTheListFailsTheAssertion)
{
    list = cons(point(1, 1), list);
    EXPECT_DEATH(nth(list, 1), "! isEmptyList\\(l\\)");
    EXPECT_DEATH(nth(list, -1), "! isEmptyList\\(l\\)");
}

TEST_F(ListDeathTest, ConsEndsProcessWhenMemoryRunsOut)
{
    if (kSanitized) {
        GTEST_SKIP() << "a sanitizer cannot run under an address-space limit";
    }
    if (!addressLimitHolds())
        GTEST_SKIP() << "this machine does not hold a process to an address-space limit";
    constexpr size_t kHeadroomBytes = 64u << 20;
    auto exhaustMemory = [] {
        limitAddressSpace(kHeadroomBytes);
        ListNode *l = emptyList();
        for (;;) {
            l = cons(point(0, 0), l);
        }
    };
    EXPECT_EXIT(exhaustMemory(), testing::ExitedWithCode(1), "^cons: malloc failed: .+");
}

class ExtensionSearchTest : public testing::Test
{
protected:
    static constexpr const char *kExtensions = "GL_ARB_one GL_EXT_two_long GL_ARB_three";
};

TEST_F(ExtensionSearchTest, FindsWholeWordsAnywhere)
{
    EXPECT_TRUE(isExtensionInString("GL_ARB_one", kExtensions));
    EXPECT_TRUE(isExtensionInString("GL_EXT_two_long", kExtensions));
    EXPECT_TRUE(isExtensionInString("GL_ARB_three", kExtensions));
    EXPECT_TRUE(isExtensionInString("only", "only"));
}

TEST_F(ExtensionSearchTest, RejectsPartsOfWords)
{
    EXPECT_FALSE(isExtensionInString("GL_EXT_two", kExtensions));
    EXPECT_FALSE(isExtensionInString("one", kExtensions));
    EXPECT_FALSE(isExtensionInString("GL_ARB_thre", kExtensions));
    EXPECT_FALSE(isExtensionInString("GL_ARB_four", kExtensions));
}

TEST_F(ExtensionSearchTest, RejectsEmptyNamesAndNamesWithBlanks)
{
    EXPECT_FALSE(isExtensionInString("", kExtensions));
    EXPECT_FALSE(isExtensionInString("GL_ARB_one GL_EXT_two_long", kExtensions));
    EXPECT_FALSE(isExtensionInString(" GL_ARB_one", kExtensions));
    EXPECT_FALSE(isExtensionInString("GL_ARB_one", nullptr));
}

TEST_F(ExtensionSearchTest, OccurrenceRightAfterANonWordOccurrenceCounts)
{
    EXPECT_TRUE(isExtensionInString("ab", "abab"));
    EXPECT_TRUE(isExtensionInString("ab", "xabab"));
    EXPECT_FALSE(isExtensionInString("ab", "xab_ab_"));
}
