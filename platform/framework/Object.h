// The framework's root object: run-time class information by name, and the diagnostic
// operations every framework object offers. Classes opt in with TF_DECLARE_DYNAMIC in the
// class and TF_IMPLEMENT_DYNAMIC in one source file.
#pragma once

#include <ostream>

struct CRuntimeClass
{
    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;

    // True when this class is pClass or derives from it.
    bool IsDerivedFrom(const CRuntimeClass* pClass) const;
};

class CObject
{
  public:
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    // Checks the object's invariants; the base has none.
    virtual void AssertValid() const {}
    // Writes a one-line description for debugging.
    virtual void Dump(std::ostream& os) const;

    bool IsKindOf(const CRuntimeClass* pClass) const;

    static const CRuntimeClass classCObject;

  protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

#define TF_RUNTIME_CLASS(name) (&name::class##name)

#define TF_DECLARE_DYNAMIC(name)                                                                   \
  public:                                                                                          \
    static const CRuntimeClass class##name;                                                        \
    const CRuntimeClass* GetRuntimeClass() const override;

#define TF_IMPLEMENT_DYNAMIC(name, base)                                                           \
    const CRuntimeClass name::class##name = {#name, TF_RUNTIME_CLASS(base)};                       \
    const CRuntimeClass* name::GetRuntimeClass() const                                             \
    {                                                                                              \
        return TF_RUNTIME_CLASS(name);                                                             \
    }
