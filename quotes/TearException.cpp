#include "quotes/TearException.h"

CTearException::~CTearException() = default;

void ThrowFetchError(int nCode)
{
    throw new CTearException(nCode);
}
