#pragma once
// Bravant's routines on the host's open document. None of them does anything
// (empty text, false) unless there is a host object and it reports an open
// document. Host errors pass to the caller.
#include <string>

#include "host/host_editor.h"

namespace tendrel {

bool DocIsOpen(HostEditor* host);
// The selection, or the whole document when `all` is set.
std::string DocRead(HostEditor* host, bool all);
// Inserts at the caret (replacing the selection), or replaces the whole
// document; then selects the written text when `select` is set, else leaves
// the caret at its start. True once a document is open.
bool DocWrite(HostEditor* host, const std::string& text, bool replaceAll, bool select);
// Puts `text` in place of the `length` bytes at `start`, unselected.
bool DocReplaceRange(HostEditor* host, int start, int length, const std::string& text);

}  // namespace tendrel
