// CFTree: the ordered tree that carries a parsed XML document.
#include "Object.h"

using velcf::detail::Cast;

CFTypeID CFTreeGetTypeID(void) { return __CFTree::kType; }

CFIndex CFTreeGetChildCount(CFTreeRef tree) {
  const auto* t = Cast<__CFTree>(tree);
  return t != nullptr ? static_cast<CFIndex>(t->child_count) : 0;
}

CFTreeRef CFTreeGetChildAtIndex(CFTreeRef tree, CFIndex idx) {
  const auto* t = Cast<__CFTree>(tree);
  if (t == nullptr || idx < 0 || idx >= static_cast<CFIndex>(t->child_count)) return nullptr;
  return t->children[idx];
}

CFTreeRef CFTreeGetFirstChild(CFTreeRef tree) { return CFTreeGetChildAtIndex(tree, 0); }

CFTreeRef CFTreeGetNextSibling(CFTreeRef tree) {
  const auto* t = Cast<__CFTree>(tree);
  if (t == nullptr || t->parent == nullptr) return nullptr;
  return CFTreeGetChildAtIndex(t->parent, static_cast<CFIndex>(t->index_in_parent) + 1);
}

CFTreeRef CFTreeGetParent(CFTreeRef tree) {
  const auto* t = Cast<__CFTree>(tree);
  return t != nullptr ? t->parent : nullptr;
}
