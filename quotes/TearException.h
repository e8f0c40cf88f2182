// The failure of a quote fetch inside the fetch layer. It is thrown by pointer and never
// leaves FetchQuote: the catcher takes the code and deletes the object.
#pragma once

class CTearException
{
  public:
    explicit CTearException(int nCode = 0) : m_nCode(nCode) {}
    virtual ~CTearException();

    CTearException(const CTearException&) = default;
    CTearException& operator=(const CTearException&) = default;

    bool m_bAutoDelete = true;
    // 1: the request could not be made; 2: the exchange failed or a redirection could not be
    // followed.
    int m_nCode;
};

// Creates a CTearException with the code on the heap and throws the pointer.
[[noreturn]] void ThrowFetchError(int nCode);
