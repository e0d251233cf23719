#pragma once
// The two kinds of failure the renderer reports; main maps them to exit statuses.

#include <stdexcept>

/** The command line (or a parameter line) is wrong: exit status 2. */
class UsageError : public std::runtime_error
{
public:
  using std::runtime_error::runtime_error;
};

/** A file could not be read, parsed or written: exit status 1. */
class FileError : public std::runtime_error
{
public:
  using std::runtime_error::runtime_error;
};
