#!/usr/bin/env bash
# Checks the dynamic symbol table of libVelUt: every exported function and
# type of the interface is there, and nothing else (no standard-library
# template code, no helper) is.
set -u
lib="$1"
symbols="$(nm -DC --defined-only "$lib" | sed 's/^[0-9a-f]* [A-Za-z] //; s/@@.*//')"
failures=0

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
  'VelUt::FindInArray(wchar_t const*, CStdContainer<CStdStr<wchar_t>, std::vector> const&, signed char)'
  'VelUt::FindInArray(unsigned int, CArray<unsigned int, unsigned int> const&)'
  'VelUt::FindInArray(void*, CStdContainer<void*, std::vector> const&)'
  'VelUt::RemoveDuplicates(CStdContainer<CStdStr<wchar_t>, std::vector>&)'
  'VelUt::ParseDelimitedString(CStdStr<wchar_t> const&, CStdStr<wchar_t> const&, CStdContainer<CStdStr<wchar_t>, std::vector>&, int)'
  'VelUt::MakeDelimitedString(CStdContainer<CStdStr<wchar_t>, std::vector> const&, VelString&, signed char, CStdStr<wchar_t> const&)'
  'VelUt::SplitString(CStdStr<wchar_t> const&, CStdStr<wchar_t> const&, CStdStr<wchar_t>&, CStdStr<wchar_t>&, wchar_t&, signed char)'
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
  'CStdStr<wchar_t>::FormatV(wchar_t const*, __va_list_tag*)'
  'CStdStr<wchar_t>::CompareNoCase(wchar_t const*) const'
  'typeinfo for POSITION_IMP'
  'typeinfo for CDravoMemoryException'
  'typeinfo for CDravoMemoryException*'
  'typeinfo for CMemoryException*'
  'typeinfo for COleException*'
)
for s in "${expected[@]}"; do
  grep -qxF -- "$s" <<<"$symbols" || { echo "missing export: $s"; failures=$((failures + 1)); }
done
grep -q '^typeinfo for CStdContainerPos<std::map<CStdStr<wchar_t>, void\*' <<<"$symbols" ||
  { echo "missing export: typeinfo for CStdContainerPos<map>"; failures=$((failures + 1)); }

# Anything exported must belong to the library's own interface.
allowed='^(VelUt::|CStdStr<wchar_t>::|POSITION_IMP::|CStdContainerPos<|CDravoMemoryException::|VelUtResString::|PreProcessUrl\(|ssicoll\(|ssadd\(|(typeinfo|typeinfo name|vtable) for |VELUT_0$)'
while IFS= read -r s; do
  [[ -z "$s" ]] && continue
  if ! grep -qE "$allowed" <<<"$s"; then
    echo "unexpected export: $s"
    failures=$((failures + 1))
  fi
done <<<"$symbols"
if grep -E '^(typeinfo|typeinfo name|vtable) for std::' <<<"$symbols"; then
  failures=$((failures + 1))
fi

echo "exported symbols: $((${#expected[@]} + 1 - failures)) passed, $failures failed"
[[ $failures == 0 ]]
