// MFC-shaped containers over the standard ones: an indexed list, a number
// array and an ordered map walked with POSITION values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <VelUt/Export.h>
#include <VelUt/StdStr.h>

// CStdContainer<T, std::vector>: elements in insertion order, indexed from
// 0. Its only state is the vector; T = CStdStr<wchar_t> or void* in the
// library's signatures (pointed-to objects are never owned).
//
// Example:
//   CStdContainer<CStdStr<wchar_t>, std::vector> list;
//   list.Add(L"a") -> 0;  list.Add(L"b") -> 1;  list.RemoveAt(0);
//   list[0] -> L"b";  list.GetCount() -> 1
template <typename T, template <typename, typename...> class Seq = std::vector>
class CStdContainer {
 public:
  // The standard container held, and its iterators.
  using container_type = Seq<T>;
  using iterator = typename container_type::iterator;
  using const_iterator = typename container_type::const_iterator;

  // Add: appends a copy of `element`; returns its index.
  int Add(const T& element) {
    m_elements.push_back(element);
    return static_cast<int>(m_elements.size()) - 1;
  }

  // Add: appends `element`, moved in; returns its index.
  int Add(T&& element) {
    m_elements.push_back(std::move(element));
    return static_cast<int>(m_elements.size()) - 1;
  }

  // RemoveAt: removes the element at `index`; the rest move down. An index
  // at or past the count removes nothing.
  void RemoveAt(unsigned int index) {
    if (index < m_elements.size())
      m_elements.erase(m_elements.begin() + static_cast<std::ptrdiff_t>(index));
  }

  // RemoveAll: removes every element, keeping the storage for reuse.
  void RemoveAll() { m_elements.clear(); }

  // GetSize, GetCount: the number of elements; IsEmpty: true when there is none.
  int GetSize() const { return static_cast<int>(m_elements.size()); }
  int GetCount() const { return GetSize(); }
  bool IsEmpty() const { return m_elements.empty(); }

  // Indexed access; `index` must be below the count.
  T& GetAt(int index) { return m_elements[static_cast<std::size_t>(index)]; }
  const T& GetAt(int index) const { return m_elements[static_cast<std::size_t>(index)]; }
  T& operator[](int index) { return GetAt(index); }
  const T& operator[](int index) const { return GetAt(index); }

  // Iterators over the elements, for range-based loops.
  iterator begin() { return m_elements.begin(); }
  iterator end() { return m_elements.end(); }
  const_iterator begin() const { return m_elements.begin(); }
  const_iterator end() const { return m_elements.end(); }

 private:
  container_type m_elements;
};

// CArray<TYPE, ARG_TYPE>: a contiguous array with the representation of a
// standard vector, used as CArray<unsigned int, unsigned int>.
//
// Example:
//   CArray<unsigned int, unsigned int> a;  a.SetSize(2);  a[1] = 7;
//   a.Add(9) -> 2;  a.GetSize() -> 3
template <typename TYPE, typename ARG_TYPE>
class CArray {
 public:
  // Add: appends `element`; returns its index.
  int Add(ARG_TYPE element) {
    m_elements.push_back(element);
    return static_cast<int>(m_elements.size()) - 1;
  }

  // SetSize: the array gets `size` elements (new ones value-initialised); a
  // negative size empties it.
  void SetSize(int size) { m_elements.resize(size < 0 ? 0 : static_cast<std::size_t>(size)); }

  // RemoveAll: empties the array. GetSize, GetCount: the number of elements;
  // IsEmpty: true when there is none.
  void RemoveAll() { m_elements.clear(); }
  int GetSize() const { return static_cast<int>(m_elements.size()); }
  int GetCount() const { return GetSize(); }
  bool IsEmpty() const { return m_elements.empty(); }

  // Indexed access; `index` must be below the size.
  TYPE& GetAt(int index) { return m_elements[static_cast<std::size_t>(index)]; }
  const TYPE& GetAt(int index) const { return m_elements[static_cast<std::size_t>(index)]; }
  TYPE& operator[](int index) { return GetAt(index); }
  const TYPE& operator[](int index) const { return GetAt(index); }

  // GetData: the elements, one after another, valid until the size changes.
  TYPE* GetData() { return m_elements.data(); }
  const TYPE* GetData() const { return m_elements.data(); }

 private:
  std::vector<TYPE> m_elements;
};

// POSITION_IMP: base of every position object; a POSITION owns one.
class VELUT_API POSITION_IMP {
 public:
  // Position objects are made by their containers and copied by clone().
  POSITION_IMP() = default;
  POSITION_IMP(const POSITION_IMP&) = default;
  virtual ~POSITION_IMP();
  // True while the position denotes an element.
  virtual explicit operator bool() const = 0;
  // True when both denote the same element.
  virtual bool operator==(const POSITION_IMP& other) const = 0;
  // Makes this position denote the element that `other` denotes.
  virtual POSITION_IMP& operator=(const POSITION_IMP& other) = 0;
  // A new heap copy, owned by the caller, that moves independently.
  virtual POSITION_IMP* clone() const = 0;
};

// CStdContainerPos<C>: a position over a standard container C: the
// iterator, then the container it belongs to (not owned).
template <typename C>
class VELUT_API CStdContainerPos : public POSITION_IMP {
 public:
  // iterator: the constant iterator of the container.
  using iterator = typename C::const_iterator;

  // A position at `it` in `container`; a copy denotes the same element.
  CStdContainerPos(iterator it, const C* container) : m_it(it), m_container(container) {}
  CStdContainerPos(const CStdContainerPos&) = default;
  CStdContainerPos& operator=(const CStdContainerPos& other) {
    if (this != &other) {
      m_it = other.m_it;
      m_container = other.m_container;
    }
    return *this;
  }
  ~CStdContainerPos() override;

  explicit operator bool() const override;
  bool operator==(const POSITION_IMP& other) const override;
  POSITION_IMP& operator=(const POSITION_IMP& other) override;
  POSITION_IMP* clone() const override;

  // The iterator, and the container it belongs to (not owned).
  iterator m_it;
  const C* m_container;
};

template <typename C>
CStdContainerPos<C>::~CStdContainerPos() = default;

template <typename C>
CStdContainerPos<C>::operator bool() const {
  return m_it != m_container->end();
}

template <typename C>
bool CStdContainerPos<C>::operator==(const POSITION_IMP& other) const {
  const auto* o = dynamic_cast<const CStdContainerPos*>(&other);
  return o != nullptr && o->m_it == m_it;
}

template <typename C>
POSITION_IMP& CStdContainerPos<C>::operator=(const POSITION_IMP& other) {
  if (const auto* o = dynamic_cast<const CStdContainerPos*>(&other))
    if (o != this) *this = *o;
  return *this;
}

template <typename C>
POSITION_IMP* CStdContainerPos<C>::clone() const {
  return new CStdContainerPos(*this);
}

// POSITION: a handle that owns one position object (or none). Copying
// clones the object; destroying the handle deletes it. It tests true
// while it holds a position that denotes an element.
class POSITION {
 public:
  // An empty handle (also from NULL), one that owns `imp`, a copy (which
  // clones the object) or a move.
  POSITION() noexcept = default;
  POSITION(std::nullptr_t) noexcept {}  // NOLINT: MFC code writes pos = NULL
  explicit POSITION(POSITION_IMP* imp) noexcept : m_imp(imp) {}
  POSITION(const POSITION& other) : m_imp(other.m_imp ? other.m_imp->clone() : nullptr) {}
  POSITION(POSITION&& other) noexcept : m_imp(other.m_imp) { other.m_imp = nullptr; }
  POSITION& operator=(POSITION other) noexcept {
    std::swap(m_imp, other.m_imp);
    return *this;
  }
  ~POSITION() { delete m_imp; }

  // True while the handle holds a position that denotes an element.
  explicit operator bool() const { return m_imp && static_cast<bool>(*m_imp); }

  // The position object held, or null.
  POSITION_IMP* get() const { return m_imp; }

  // Deletes the position object held and holds `imp` instead.
  void reset(POSITION_IMP* imp = nullptr) {
    delete m_imp;
    m_imp = imp;
  }

  // Equal when both are empty, or both denote the same element.
  friend bool operator==(const POSITION& a, const POSITION& b) {
    if (!a.m_imp || !b.m_imp) return a.m_imp == b.m_imp;
    return *a.m_imp == *b.m_imp;
  }
  friend bool operator!=(const POSITION& a, const POSITION& b) { return !(a == b); }

 private:
  POSITION_IMP* m_imp = nullptr;
};

// CTypedPtrMap_traits: how CStdMap passes keys and values.
template <typename Key, typename ArgKey, typename Value, typename ArgValue>
struct CTypedPtrMap_traits {
  // The key and value types as stored (KEY, VALUE) and as passed (ARG_KEY,
  // ARG_VALUE).
  using KEY = Key;
  using ARG_KEY = ArgKey;
  using VALUE = Value;
  using ARG_VALUE = ArgValue;
};

// CStdMap: an ordered map with unique keys (plain unit order, case
// sensitive), walked MFC-style:
//
//   POSITION pos = map.GetStartPosition();
//   while (pos) map.GetNextAssoc(pos, key, value);   // ascending key order
//
// The map owns its keys, never what its values point to.
template <typename K, typename V, typename Traits>
class CStdMap {
 public:
  // The standard map held, and the key and value types of the arguments.
  using container_type = std::map<K, V>;
  using ARG_KEY = typename Traits::ARG_KEY;
  using ARG_VALUE = typename Traits::ARG_VALUE;

  // GetStartPosition: a position at the first entry; for an empty map it
  // stands at the end and tests false.
  POSITION GetStartPosition() const {
    return POSITION(new CStdContainerPos<container_type>(m_map.begin(), &m_map));
  }

  // GetNextAssoc: copies the entry at `pos` into `key` and `value` and
  // moves `pos` on; past the last entry `pos` becomes empty. An empty
  // position, or one not at an entry of this map, changes nothing.
  void GetNextAssoc(POSITION& pos, K& key, V& value) const {
    auto* p = dynamic_cast<CStdContainerPos<container_type>*>(pos.get());
    if (p == nullptr || p->m_container != &m_map || !*p) return;
    key = p->m_it->first;
    value = p->m_it->second;
    if (++p->m_it == m_map.end()) pos.reset();
  }

  // Lookup: true and the value when `key` is present; false otherwise.
  bool Lookup(ARG_KEY key, V& value) const { return Lookup(MakeKey(key), value); }

  // Lookup: the same for a key already made, which is not copied.
  bool Lookup(const K& key, V& value) const {
    // A few entries (a process has few resource libraries) are quicker to
    // compare one by one, length first, than to search by order.
    if (m_map.size() <= kScannedEntries) {
      for (const auto& entry : m_map) {
        if (SameKey(entry.first, key)) {
          value = entry.second;
          return true;
        }
      }
      return false;
    }
    const auto it = m_map.find(key);
    if (it == m_map.end()) return false;
    value = it->second;
    return true;
  }

  // SetAt: stores `value` under `key`, adding the entry when absent.
  void SetAt(ARG_KEY key, ARG_VALUE value) { m_map[MakeKey(key)] = value; }

  // operator[]: the value under `key`, added with a null value when absent.
  V& operator[](ARG_KEY key) { return m_map[MakeKey(key)]; }

  // RemoveKey: removes the entry of `key`; true when there was one.
  bool RemoveKey(ARG_KEY key) { return m_map.erase(MakeKey(key)) != 0; }

  // RemoveAll: destroys every entry (never what the values point to).
  void RemoveAll() { m_map.clear(); }

  // GetCount, GetSize: the number of entries; IsEmpty: true when there is none.
  int GetCount() const { return static_cast<int>(m_map.size()); }
  int GetSize() const { return GetCount(); }
  bool IsEmpty() const { return m_map.empty(); }

 private:
  static constexpr std::size_t kScannedEntries = 8;
  // Equal keys, compared 8 bytes at a time.
  static bool SameKey(const K& a, const K& b) {
    if (a.size() != b.size()) return false;
    const auto* x = reinterpret_cast<const unsigned char*>(a.data());
    const auto* y = reinterpret_cast<const unsigned char*>(b.data());
    const std::size_t n = a.size() * sizeof(a[0]);
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
      std::uint64_t u;
      std::uint64_t v;
      std::memcpy(&u, x + i, 8);
      std::memcpy(&v, y + i, 8);
      if (u != v) return false;
    }
    for (; i < n; ++i) {
      if (x[i] != y[i]) return false;
    }
    return true;
  }

  // Keys arrive as texts; a null text is the empty key. The text is copied
  // as it stands (small pointer values are not resource ids here).
  static K MakeKey(ARG_KEY key) { return K(typename K::MYBASE(key ? key : L"")); }

  container_type m_map;
};

// The map type of the process-wide table of resource libraries.
using CStdStrPtrMap = CStdMap<CStdStr<wchar_t>, void*,
                              CTypedPtrMap_traits<CStdStr<wchar_t>, const wchar_t*, void*, void*>>;

extern template class CStdContainerPos<CStdStrPtrMap::container_type>;
