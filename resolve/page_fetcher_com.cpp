// FetchPageText on the platform's HTTP request component, driven by name
// through IDispatch.
#include "page_fetcher_com.h"

#include <ole2.h>
#include <windows.h>

#include <optional>

#include "bound_function.h"
#include "com_support_win.h"
#include "page_fetcher.h"

namespace quorlin {
namespace {

// With remote activation first; some systems refuse CLSCTX_REMOTE_SERVER with
// E_INVALIDARG, hence the local-only second try.
constexpr DWORD kAnyServer =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
constexpr DWORD kLocalServers = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

constexpr BoundFunction<HRESULT(LPVOID)> kCoInitialize{"ole32", "CoInitialize"};
constexpr BoundFunction<void()> kCoUninitialize{"Ole32", "CoUninitialize"};

enum class Use { kCall, kRead };

ComPtr<IUnknown> CreateRequestObject(const std::string& progId) {
  CLSID classId;
  if (FAILED(CLSIDFromProgID(WidenText(progId).c_str(), &classId))) return {};
  ComPtr<IUnknown> object;
  HRESULT result = CoCreateInstance(classId, nullptr, kAnyServer, IID_IUnknown, object.PutVoid());
  if (result == E_INVALIDARG) {
    result = CoCreateInstance(classId, nullptr, kLocalServers, IID_IUnknown, object.PutVoid());
  }
  if (FAILED(result) || FAILED(OleRun(object.Get()))) return {};
  return object;
}

// The dispatch identifier of the member `name`, looked up afresh in the
// object's type information: a call takes a function before a property, a
// read a property before a function. Empty when there is no such member or
// it declares fewer arguments than are given (unless it takes any number).
std::optional<DISPID> FindMember(IDispatch* dispatch, const std::wstring& name, Use use,
                                 UINT argumentCount, LCID locale) {
  ComPtr<ITypeInfo> typeInfo;
  if (FAILED(dispatch->GetTypeInfo(0, locale, typeInfo.Put())) || !typeInfo) return std::nullopt;
  ComPtr<ITypeComp> typeComp;
  if (FAILED(typeInfo->GetTypeComp(typeComp.Put())) || !typeComp) return std::nullopt;

  std::wstring bindName = name;  // Bind takes a non-const string
  // The hash is the one the type library keeps for the process's kind.
  constexpr SYSKIND kSystem = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
  const ULONG hash = LHashValOfNameSys(kSystem, locale, bindName.c_str());
  const WORD order[2][2] = {{INVOKE_FUNC, INVOKE_PROPERTYGET}, {INVOKE_PROPERTYGET, INVOKE_FUNC}};
  for (const WORD kind : order[use == Use::kCall ? 0 : 1]) {
    ComPtr<ITypeInfo> boundInfo;
    DESCKIND descKind = DESCKIND_NONE;
    BINDPTR bound = {};
    if (FAILED(typeComp->Bind(bindName.data(), hash, kind, boundInfo.Put(), &descKind, &bound))) {
      continue;
    }
    if (descKind == DESCKIND_FUNCDESC) {
      const FUNCDESC* function = bound.lpfuncdesc;
      const DISPID id = function->memid;
      const bool fits = function->cParamsOpt == -1 || argumentCount <= UINT(function->cParams);
      boundInfo->ReleaseFuncDesc(bound.lpfuncdesc);
      if (fits) return id;
      return std::nullopt;
    }
    if (descKind == DESCKIND_VARDESC) {
      const DISPID id = bound.lpvardesc->memid;
      boundInfo->ReleaseVarDesc(bound.lpvardesc);
      if (argumentCount == 0) return id;
      return std::nullopt;
    }
    if (descKind == DESCKIND_TYPECOMP || descKind == DESCKIND_IMPLICITAPPOBJ) {
      bound.lptcomp->Release();
    }
  }
  return std::nullopt;
}

// Invokes the member `name` of the object; false when anything on the way
// fails. The result is left in `result`.
bool InvokeMember(IUnknown* object, const char* name, Use use, InvokeArguments& arguments,
                  LCID locale, VARIANT* result) {
  if (!object) return false;
  ComPtr<IDispatch> dispatch;
  if (FAILED(object->QueryInterface(IID_IDispatch, dispatch.PutVoid())) || !dispatch) return false;
  const std::optional<DISPID> member =
      FindMember(dispatch.Get(), WidenText(name), use, arguments.Count(), locale);
  if (!member) return false;
  DISPPARAMS parameters = {arguments.Reversed(), nullptr, arguments.Count(), 0};
  const WORD flags = use == Use::kCall ? DISPATCH_METHOD : DISPATCH_PROPERTYGET;
  return SUCCEEDED(
      dispatch->Invoke(*member, IID_NULL, locale, flags, &parameters, result, nullptr, nullptr));
}

void CallMember(IUnknown* object, const char* name, InvokeArguments& arguments, LCID locale) {
  UniqueVariant discarded;
  InvokeMember(object, name, Use::kCall, arguments, locale, discarded.Get());
}

std::string ReadTextProperty(IUnknown* object, const char* name, LCID locale) {
  InvokeArguments none;
  UniqueVariant value;
  if (!InvokeMember(object, name, Use::kRead, none, locale, value.Get())) return std::string();
  UniqueVariant text;
  if (FAILED(VariantChangeType(text.Get(), value.Get(), 0, VT_BSTR))) return std::string();
  const BSTR string = text.Get()->bstrVal;
  if (!string) return std::string();
  return NarrowText(string, SysStringLen(string));
}

}  // namespace

std::string FetchPageTextWith(const std::string& progId, const std::string& address) {
  kCoInitialize(nullptr);  // inside the program's OleInitialize: only counts up
  ComPtr<IUnknown> request = CreateRequestObject(progId);
  const LCID locale = GetUserDefaultLCID();

  // Each step is made whatever became of the one before; a step without a
  // request object simply fails.
  InvokeArguments open;
  open.AddString(WidenText("GET"));
  open.AddString(WidenText(address));
  open.AddBool(VARIANT_FALSE);  // synchronous
  CallMember(request.Get(), "open", open, locale);

  InvokeArguments send;
  send.AddString(WidenText(""));
  CallMember(request.Get(), "send", send, locale);

  std::string text = ReadTextProperty(request.Get(), "responseText", locale);
  kCoUninitialize();
  // After CoUninitialize: the thread's OLE initialisation keeps the apartment
  // open for the release.
  request.Reset();
  return text;
}

std::string FetchPageText(const std::string& address) {
  return FetchPageTextWith(kRequestProgId, address);
}

}  // namespace quorlin
