// VelUtResString: one entry of an XML string table, holding either its
// own text or a reference to a string resource in a resource library.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <VelUt/Export.h>
#include <VelUt/StdContainer.h>
#include <VelUt/StdStr.h>

// An entry is read from the subtree the platform's XML parser gives for it:
//
//   <string resource="101" src="strings.dll"/>    a reference to string 101
//   <string>Open file</string>                     a literal text
//   <string><en>Open</en><de>Öffnen</de></string>  the first child's text
//
// Typical use:
//
//   VelUtResString s;
//   s.Load(entry);               // literal, or an unloaded reference
//   s.LoadFromResource(0);       // a reference fetches its text once
//   use(s.mText);
//   ...
//   VelUtResString::FreeLibraries();   // at shutdown
//
// The resource libraries are cached for the whole process in
// mResourceHandleMap. That map is not locked: GetResourceHandle,
// LoadFromResource and FreeLibraries must be called from one thread at a
// time (or under a lock of the caller's). Distinct objects may be loaded
// from different threads under that lock, or read at once once loaded.
class VELUT_API VelUtResString {
 public:
  // Bits of mFlags.
  static constexpr unsigned int kReference = 1;  // the entry names a resource
  static constexpr unsigned int kLoaded = 2;     // LoadFromResource has run

  // A new object is an empty literal entry.
  VelUtResString() = default;

  // Load: reads one string-table entry. With non-empty "resource" and
  // "src" attributes (names matched exactly) the object becomes an
  // unloaded reference to string ms_wtoi(resource) of library `src`;
  // otherwise a literal whose text is the first text node of the first
  // child element (or of the entry itself when it has no child element).
  // Returns 0 for a null entry, leaving the object as it was; 1 otherwise.
  int Load(__CFTree* entry);

  // Set: makes the object a reference to string `id` of library `src`
  // (null: ""), emptying mText and keeping the loaded bit. Returns 1.
  int Set(unsigned int id, const wchar_t* src);

  // LoadFromResource: for a reference not yet loaded (or any reference when
  // `force` is non-zero) loads the text of mId from library mSrc, falling
  // back to the current resource module when the library cannot be
  // loaded, and marks the object loaded whatever the outcome. Returns 1
  // for a literal, for a reference already loaded, or when a non-empty text
  // was found; 0 when no text was found (mText is then empty). Throws
  // std::bad_alloc when memory runs out; the object is then not marked
  // loaded, so that the next call tries again.
  int LoadFromResource(signed char force);

  // GetResourceHandle: the handle of resource library `name`, loaded with
  // LoadLibrary on first use and cached under the exact name (case
  // sensitive); null when it cannot be loaded (nothing is cached then, so
  // the next call tries again). Throws std::bad_alloc when memory runs out;
  // a library loaded but not cached is then freed again.
  static void* GetResourceHandle(const wchar_t* name);

  // FreeLibraries: calls FreeLibrary on every cached library, in name
  // order, and empties the cache. Returns 1.
  static int FreeLibraries();

  // The bits above, the string id and library of a reference, and the text
  // (a literal's, or a reference's once loaded).
  unsigned int mFlags = 0;
  unsigned int mId = 0;
  CStdStr<wchar_t> mSrc;
  CStdStr<wchar_t> mText;

  // The process-wide cache of resource libraries: name -> library handle.
  // Created empty when the library is loaded; its destruction at exit
  // frees no library (call FreeLibraries for that).
  static CStdStrPtrMap mResourceHandleMap;
};
