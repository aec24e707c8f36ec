#pragma once
#include <functional>
#include <string>

// Whole-file reads and writes of raw bytes. Paths are as the file system has them
// (UTF-8); the messages naming them are the program's text (Windows-1252).

// Raises EFOpenError "Cannot open file %s" (the path in place of %s).
std::string ReadFileBytes(const std::string& path);

// Creates or truncates the file and writes the bytes in one go.
// Raises EFCreateError "Cannot create file %s" when the file cannot be created or written.
void WriteFileBytes(const std::string& path, const std::string& bytes);

// Writes the bytes to a file of a unique name beside the file, then renames it over the
// file, so that neither a failure nor a second writer ever leaves a half-written file under
// the name. Raises EFCreateError like WriteFileBytes.
void ReplaceFileAtomically(const std::string& path, const std::string& bytes);

// The same, when `wanted` says so of the file's present bytes ("" when it cannot be
// read): false when it does not. No other replacement comes between the two.
bool ReplaceFileIf(const std::string& path, const std::string& bytes, const std::function<bool(const std::string&)>& wanted);

// The same, but a file already under the name stays: false then. Raises EFCreateError.
bool CreateFileAtomically(const std::string& path, const std::string& bytes);

// The directory of the running executable, with a trailing "/".
std::string ExecutableDirectory();
