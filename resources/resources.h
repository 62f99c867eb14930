#pragma once

namespace tendrel {
// Makes the bitmaps (":/bitmap/<name>") and shipped files (":/file/<name>")
// available; resources in a static library must be pulled in once by hand.
void InitResources();
}  // namespace tendrel
