// MFC-style exceptions, thrown as pointers and released with Delete().
//
//   try { ... } catch (CMemoryException* e) { e->Delete(); }
#pragma once

#include <WinAPI/Export.h>
#include <WinAPI/Types.h>

// CException: base of the MFC exception classes. MFC: CException.
class VELWIN_API CException {
 public:
  // autoDelete: whether Delete() frees the object (true for heap objects).
  explicit CException(bool autoDelete = true) : m_bAutoDelete(autoDelete) {}
  virtual ~CException();

  // Delete: frees the exception object when it was allocated on the heap
  // (its auto-delete flag is set); otherwise does nothing.
  void Delete();

  // True when Delete() frees the object.
  bool m_bAutoDelete;
};

// CMemoryException: memory ran out. MFC: CMemoryException.
class VELWIN_API CMemoryException : public CException {
 public:
  using CException::CException;
  ~CMemoryException() override;
};

// COleException: an OLE or storage operation failed with status code m_sc.
// MFC: COleException.
class VELWIN_API COleException : public CException {
 public:
  // An exception for the status code `sc`; `autoDelete` as for CException.
  explicit COleException(SCODE sc = 0, bool autoDelete = true) : CException(autoDelete), m_sc(sc) {}
  ~COleException() override;

  // The status code.
  SCODE m_sc;
};

// AfxThrowMemoryException: throws a new CMemoryException*.
// MFC: AfxThrowMemoryException.
[[noreturn]] VELWIN_API void AfxThrowMemoryException();

// AfxThrowOleException: throws a new COleException* with status `sc`.
// MFC: AfxThrowOleException.
[[noreturn]] VELWIN_API void AfxThrowOleException(SCODE sc);
