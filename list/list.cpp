#include "list.h"

#include <GL/gl.h>

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

// The contract checks of head, tail and removeHead; kept in one place so that
// their report reads the same from all three.
// clang-format off
void requireNonEmpty(const ListNode *l)
{
    assert(! isEmptyList(l));
    (void)l;
}
// clang-format on

bool isBlankFreeName(const char *name)
{
    return name != nullptr && name[0] != '\0' && std::strchr(name, ' ') == nullptr;
}

} // namespace

ListNode *emptyList()
{
    return nullptr;
}

bool isEmptyList(const ListNode *l)
{
    return l == nullptr;
}

ListElem head(const ListNode *l)
{
    requireNonEmpty(l);
    return l->elem;
}

ListNode *tail(ListNode *l)
{
    requireNonEmpty(l);
    return l->next;
}

ListNode *removeHead(ListNode *l)
{
    requireNonEmpty(l);
    ListNode *rest = l->next;
    std::free(l);
    return rest;
}

ListNode *cons(ListElem e, ListNode *l)
{
    auto *node = static_cast<ListNode *>(std::malloc(sizeof(ListNode)));
    if (node == nullptr) {
        std::perror("cons: malloc failed");
        std::exit(1);
    }
    node->next = l;
    node->elem = e;
    return node;
}

ListNode *prepend(ListElem e, ListNode *l)
{
    return cons(e, l);
}

int length(const ListNode *l)
{
    int count = 0;
    for (; !isEmptyList(l); l = l->next) {
        ++count;
    }
    return count;
}

ListElem nth(const ListNode *l, int n)
{
    // A negative index, like one past the end, walks off the list and stops at
    // the assertion in tail or head.
    for (; n != 0; --n) {
        l = tail(const_cast<ListNode *>(l));
    }
    return head(l);
}

bool equalElem(ListElem e1, ListElem e2)
{
    return std::fabs(e1.x - e2.x) <= kListElemTolerance &&
           std::fabs(e1.y - e2.y) <= kListElemTolerance;
}

bool geqElem(ListElem e1, ListElem e2)
{
    return e1.x >= e2.x && e1.y >= e2.y;
}

bool isInList(ListElem e, const ListNode *l)
{
    for (; !isEmptyList(l); l = l->next) {
        if (equalElem(l->elem, e)) {
            return true;
        }
    }
    return false;
}

ListNode *insertUnique(ListElem e, ListNode *l)
{
    return isInList(e, l) ? l : cons(e, l);
}

ListNode *removeFirst(ListElem e, ListNode *l)
{
    // link is the pointer that leads to the node under test: the list itself,
    // then the next field of each surviving node.
    for (ListNode **link = &l; !isEmptyList(*link); link = &(*link)->next) {
        if (equalElem((*link)->elem, e)) {
            *link = removeHead(*link);
            break;
        }
    }
    return l;
}

ListNode *removeAll(ListElem e, ListNode *l)
{
    ListNode **link = &l;
    while (!isEmptyList(*link)) {
        if (equalElem((*link)->elem, e)) {
            *link = removeHead(*link);
        } else {
            link = &(*link)->next;
        }
    }
    return l;
}

// clang-format off
ListNode *removeAllChecked(ListElem e, ListNode *l)
{
    ListNode *res = removeAll(e, l);
    assert(! isInList(e, res));
    return res;
}
// clang-format on

void freeList(ListNode *l)
{
    while (!isEmptyList(l)) {
        l = removeHead(l);
    }
}

bool isExtensionInString(const char *name, const char *extensions)
{
    if (!isBlankFreeName(name) || extensions == nullptr) {
        return false;
    }
    const size_t nameLength = std::strlen(name);
    // start moves past each occurrence that is not a whole word, so an
    // occurrence beginning right where the previous one ended also counts as
    // the beginning of a word ("ab" is found in "abab").
    const char *start = extensions;
    for (;;) {
        const char *where = std::strstr(start, name);
        if (where == nullptr) {
            return false;
        }
        const char *terminator = where + nameLength;
        if ((where == start || where[-1] == ' ') && (*terminator == ' ' || *terminator == '\0')) {
            return true;
        }
        start = terminator;
    }
}

bool isExtensionSupported(const char *name)
{
    // Fetched once; a null answer (no current context) is not kept, so that a
    // later call made with a context still gets the real string.
    static const char *extensions = nullptr;
    if (!isBlankFreeName(name)) {
        return false;
    }
    if (extensions == nullptr) {
        extensions = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
    }
    return isExtensionInString(name, extensions);
}
