// CFTree: a node of an ordered tree. A tree holds a reference to each of
// its children; a child knows its parent without holding it. Releasing the
// last reference to a tree releases its children, so releasing the root of
// a parsed document frees the whole document; a child that the caller has
// retained survives it, with no parent.
#pragma once

#include <CoreFoundation/CFBase.h>

CF_EXTERN_C_BEGIN

// CFTreeRef: a reference to a CFTree.
typedef struct __CFTree* CFTreeRef;

// CFTreeGetTypeID: the type of every CFTree object.
VELCF_API CFTypeID CFTreeGetTypeID(void);

// CFTreeGetChildCount: the number of children; 0 for null.
VELCF_API CFIndex CFTreeGetChildCount(CFTreeRef tree);

// CFTreeGetChildAtIndex: the child at `idx` in document order (not owned
// by the caller), or null when `idx` is outside 0 .. count - 1.
VELCF_API CFTreeRef CFTreeGetChildAtIndex(CFTreeRef tree, CFIndex idx);

// CFTreeGetFirstChild: the first child, or null when there is none.
VELCF_API CFTreeRef CFTreeGetFirstChild(CFTreeRef tree);

// CFTreeGetNextSibling: the child of the same parent that follows `tree`,
// or null for the last child and for a tree without parent.
VELCF_API CFTreeRef CFTreeGetNextSibling(CFTreeRef tree);

// CFTreeGetParent: the parent (not owned by the caller), or null for a
// root and for a child whose parent has been destroyed. A retained subtree
// does not keep its parent: hold a reference to the document while walking
// up (see CFBase.h on threads).
VELCF_API CFTreeRef CFTreeGetParent(CFTreeRef tree);

CF_EXTERN_C_END
