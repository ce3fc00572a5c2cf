#ifndef LIST_LIST_H
#define LIST_LIST_H

#include <cstdint>

// Singly linked lists of two-dimensional points, built front-first with cons.
//
// Ownership: every node is allocated with malloc by cons and belongs to the list
// that holds it. removeHead, removeFirst, removeAll and freeList free the nodes
// they drop; removeFirst and removeAll relink the surviving nodes in place, so
// after them the list passed in may only be used through the returned list.
// The walks are loops, so a list may be as long as memory allows.

// One point, held and passed by value.
struct ListElem {
    float x;       // first coordinate
    float y;       // second coordinate
    int32_t extra; // carried along with the point, never compared or interpreted
};

struct ListNode {
    ListNode *next; // following node, null at the end of the list
    ListElem elem;  // the point held by this node
};

// Largest difference per coordinate at which two points still count as equal:
// the double-precision machine epsilon, 2^-52, held as a float.
constexpr float kListElemTolerance = 2.220446049250313e-16f;

// The empty list (null).
ListNode *emptyList();
bool isEmptyList(const ListNode *l);

// Contract for head, tail and removeHead: l is not empty (asserted).
ListElem head(const ListNode *l);
ListNode *tail(ListNode *l);
// Frees the first node and returns the rest.
ListNode *removeHead(ListNode *l);

// A new node holding e in front of l; l itself is not copied. Ends the process
// with exit status 1 when no memory is left.
ListNode *cons(ListElem e, ListNode *l);
// Second name for cons, for code that reads better with it; forwards only.
ListNode *prepend(ListElem e, ListNode *l);

int length(const ListNode *l);
// The element at index n (from 0); n must lie in 0..length(l) - 1 (asserted).
ListElem nth(const ListNode *l, int n);

// Equal when both coordinates differ by at most kListElemTolerance; extra is ignored.
bool equalElem(ListElem e1, ListElem e2);
// True when e1 is at least e2 on both coordinates (false when a NaN is involved).
bool geqElem(ListElem e1, ListElem e2);

bool isInList(ListElem e, const ListNode *l);
// l unchanged when e is already in it, else cons(e, l).
ListNode *insertUnique(ListElem e, ListNode *l);
// l without its first element equal to e (that node is freed).
ListNode *removeFirst(ListElem e, ListNode *l);
// l without every element equal to e (those nodes are freed).
ListNode *removeAll(ListElem e, ListNode *l);
// removeAll, then asserts that no element equal to e is left.
ListNode *removeAllChecked(ListElem e, ListNode *l);
void freeList(ListNode *l);

// True when extensions, a blank-separated list of words, holds name as a whole
// word. A name that is empty or contains a blank is never found. extensions may
// be null (no extensions).
bool isExtensionInString(const char *name, const char *extensions);
// True when the current OpenGL implementation supports the extension name. The
// extension string is fetched once, by the first call with a usable name, which
// must happen with a current OpenGL context; later calls reuse it.
bool isExtensionSupported(const char *name);

#endif
