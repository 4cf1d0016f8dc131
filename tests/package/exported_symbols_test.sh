#!/usr/bin/env bash
# Checks the dynamic symbol table of libVelUt: every exported function and
# type of the interface is there, and nothing else (no standard-library
# template code, no helper) is.
set -u
# shellcheck source=verdict.sh
source "$(dirname "$0")/verdict.sh"
symbols="$(nm -DC --defined-only "$1" | sed 's/^[0-9a-f]* [A-Za-z] //; s/@@.*//')"

expected=(
  'VelUtResString::Load(__CFTree*)'
  'VelUtResString::Set(unsigned int, wchar_t const*)'
  'VelUtResString::LoadFromResource(signed char)'
  'VelUtResString::GetResourceHandle(wchar_t const*)'
  'VelUtResString::FreeLibraries()'
  'VelUtResString::mResourceHandleMap'
  'VelUt::EscapeChar(CStdStr<wchar_t>&, CStdStr<wchar_t> const&, wchar_t)'
  'VelUt::RemoveEscapeChar(CStdStr<wchar_t>&, CStdStr<wchar_t> const&, wchar_t)'
  'VelUt::TrimLeftChar(CStdStr<wchar_t>&, wchar_t)'
  'VelUt::TrimRightChar(CStdStr<wchar_t>&, wchar_t)'
  'VelUt::FindNoCase(wchar_t const*, wchar_t const*, int)'
  'VelUt::ReplaceNoCase(CStdStr<wchar_t>&, wchar_t const*, wchar_t const*)'
  'VelUt::SortArray(CArray<unsigned int, unsigned int>&)'
  'VelUt::FindInArray(wchar_t const*, CStdContainer<CStdStr<wchar_t>, std::vector> const&, '\
'signed char)'
  'VelUt::FindInArray(unsigned int, CArray<unsigned int, unsigned int> const&)'
  'VelUt::FindInArray(void*, CStdContainer<void*, std::vector> const&)'
  'VelUt::RemoveDuplicates(CStdContainer<CStdStr<wchar_t>, std::vector>&)'
  'VelUt::ParseDelimitedString(CStdStr<wchar_t> const&, CStdStr<wchar_t> const&, '\
'CStdContainer<CStdStr<wchar_t>, std::vector>&, int)'
  'VelUt::MakeDelimitedString(CStdContainer<CStdStr<wchar_t>, std::vector> const&, VelString&, '\
'signed char, CStdStr<wchar_t> const&)'
  'VelUt::SplitString(CStdStr<wchar_t> const&, CStdStr<wchar_t> const&, CStdStr<wchar_t>&, '\
'CStdStr<wchar_t>&, wchar_t&, signed char)'
  'VelUt::FindMatchingChar(CStdStr<wchar_t> const&, int, signed char, wchar_t)'
  'VelUt::MatchBraces(CStdStr<wchar_t> const&, wchar_t, signed char, wchar_t)'
  'VelUt::RemoveQuotes(CStdStr<wchar_t>&, wchar_t)'
  'VelUt::IsZeroGuid(_GUID const&)'
  'VelUt::GuidToString(_GUID const&, signed char)'
  'VelUt::StringToGuid(wchar_t const*, _GUID&)'
  'VelUt::StringToTime(CStdStr<wchar_t> const&, CTime&)'
  'VelUt::FormatDateTimeForUserLocale(CTime const&)'
  'VelUt::StringToVersion(CStdStr<wchar_t> const&, unsigned int&)'
  'VelUt::GetSystemErrorMessage(unsigned int)'
  'VelUt::StartMsiInstallation(CStdStr<wchar_t> const&, CStdStr<wchar_t> const&, signed char)'
  'PreProcessUrl(CStdStr<wchar_t>&)'
  'VelUt::IsUrl(wchar_t const*)'
  'VelUt::FixUrl(VelString&)'
  'VelUt::UrlToPath(wchar_t const*, VelString&)'
  'VelUt::GetPathFromUrl(wchar_t const*)'
  'VelUt::RelativeToAbsolutePath(VelString const&, VelString const&, VelString&)'
  'VelUt::AbsoluteToRelativePath(VelString const&, VelString const&, VelString&)'
  'VelUt::GetUniqueFileName(CStdStr<wchar_t>&)'
  'VelUt::GetTempFile(wchar_t const*, wchar_t const*)'
  'VelUt::IsFolderReadOnly(wchar_t const*)'
  'VelUt::GetFileStatus(wchar_t const*, CFileStatus&)'
  'ssicoll(wchar_t const*, int, wchar_t const*, int)'
  'CStdStr<wchar_t>::CompareNoCase(wchar_t const*) const'
  'typeinfo for POSITION_IMP'
  'typeinfo for CDravoMemoryException'
  'typeinfo for CDravoMemoryException*'
  'typeinfo for CMemoryException*'
  'typeinfo for COleException*'
)
for s in "${expected[@]}"; do
  grep -qxF -- "$s" <<<"$symbols"
  verdict $? "missing export: $s"
done
grep -q '^typeinfo for CStdContainerPos<std::map<CStdStr<wchar_t>, void\*' <<<"$symbols"
verdict $? "missing export: typeinfo for CStdContainerPos<map>"
# va_list is spelled by each architecture its own way (__va_list_tag*, char*, std::__va_list).
grep -qE '^CStdStr<wchar_t>::FormatV\(wchar_t const\*, [^,]+\)$' <<<"$symbols"
verdict $? "missing export: CStdStr<wchar_t>::FormatV(wchar_t const*, va_list)"

# Anything exported must belong to the library's own interface.
own='CStdStr<wchar_t>::|POSITION_IMP::|CStdContainerPos<|CDravoMemoryException::|VelUtResString::'
functions='PreProcessUrl\(|ssicoll\(|ssadd\('
allowed="^(VelUt::|$own|$functions|(typeinfo|typeinfo name|vtable) for |VELUT_0$)"
unexpected="$(grep -vE "^$|$allowed" <<<"$symbols")"
[[ -z $unexpected ]]
verdict $? "unexpected exports: $unexpected"
standard="$(grep -E '^(typeinfo|typeinfo name|vtable) for std::' <<<"$symbols")"
[[ -z $standard ]]
verdict $? "standard-library types exported: $standard"
summary "exported symbols"
