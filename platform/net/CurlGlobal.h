// libcurl's process-wide set-up, done once before the first transfer of any kind (HTTP or
// mail) and undone at exit. Safe to call from any thread.
#pragma once

void EnsureCurlGlobal();
