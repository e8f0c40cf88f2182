// libcurl's process-wide set-up, made once before the first handle of any kind.
#pragma once

void EnsureCurlGlobal();
