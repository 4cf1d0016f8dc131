#include <WinAPI/Exceptions.h>

CException::~CException() = default;

void CException::Delete() {
  if (m_bAutoDelete) delete this;
}

CMemoryException::~CMemoryException() = default;

COleException::~COleException() = default;

void AfxThrowMemoryException() { throw new CMemoryException(); }

void AfxThrowOleException(SCODE sc) { throw new COleException(sc); }
