#pragma once
// libmdb's header opens an extern "C" block around glib and the C library;
// glib's C++ parts must be seen first, outside that block.
#include <glib.h>
#include <iconv.h>
#include <locale.h>
#include <mdbtools.h>
