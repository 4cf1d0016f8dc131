// CFTree: the ordered tree that carries a parsed XML document.
#include "Object.h"

using velcf::detail::Cast;
using velcf::detail::ReleaseQueue;

void __CFTree::DropReferences(ReleaseQueue& queue) {
  queue.Release(info);
  for (__CFTree* child : children) {
    // A child that outlives its parent becomes a root.
    child->parent = nullptr;
    queue.Release(child);
  }
}

void __CFTree::AdoptChild(__CFTree* child) {
  child->parent = this;
  child->index_in_parent = children.size();
  children.push_back(child);
}

namespace {
__CFTree* TreeOf(CFTreeRef tree) { return const_cast<__CFTree*>(Cast<__CFTree>(tree)); }
}  // namespace

CFTypeID CFTreeGetTypeID(void) { return __CFTree::kType; }

CFIndex CFTreeGetChildCount(CFTreeRef tree) {
  const __CFTree* t = TreeOf(tree);
  return t != nullptr ? static_cast<CFIndex>(t->children.size()) : 0;
}

CFTreeRef CFTreeGetChildAtIndex(CFTreeRef tree, CFIndex idx) {
  const __CFTree* t = TreeOf(tree);
  if (t == nullptr || idx < 0 || static_cast<std::size_t>(idx) >= t->children.size()) {
    return nullptr;
  }
  return t->children[idx];
}

CFTreeRef CFTreeGetFirstChild(CFTreeRef tree) { return CFTreeGetChildAtIndex(tree, 0); }

CFTreeRef CFTreeGetNextSibling(CFTreeRef tree) {
  const __CFTree* t = TreeOf(tree);
  if (t == nullptr || t->parent == nullptr) return nullptr;
  return CFTreeGetChildAtIndex(t->parent, static_cast<CFIndex>(t->index_in_parent) + 1);
}

CFTreeRef CFTreeGetParent(CFTreeRef tree) {
  const __CFTree* t = TreeOf(tree);
  return t != nullptr ? t->parent : nullptr;
}
