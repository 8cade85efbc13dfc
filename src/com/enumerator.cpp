// IEnumVARIANT over the core's enumerators: what For Each walks.
#include "com/objects.hpp"
#include "com/single_interface.hpp"

#include <utility>

namespace orvulink::com {
namespace {

void ToItem(const BStr& item, VARIANT& out) {
  V_VT(&out) = VT_BSTR;
  V_BSTR(&out) = ToBstr(item);
}

template <class Core>
void ToItem(const std::shared_ptr<Core>& item, VARIANT& out) {
  V_VT(&out) = VT_DISPATCH;
  V_DISPATCH(&out) = ServeObject(item);
}

template <class T>
class EnumVariant final : public SingleInterface<IEnumVARIANT> {
 public:
  explicit EnumVariant(std::shared_ptr<Enumerator<T>> items) : items_(std::move(items)) {
    ++ModuleReferences();
  }
  ~EnumVariant() override { --ModuleReferences(); }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override {
    if (items == nullptr) return E_POINTER;
    ULONG done = 0;
    const HRESULT result = Guarded([&] {
      for (; done < count; ++done) {
        std::optional<T> item = items_->Next();
        if (!item) break;
        VariantInit(&items[done]);
        ToItem(*item, items[done]);
      }
    });
    if (fetched != nullptr) *fetched = done;
    if (FAILED(result)) return result;
    return done == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    return items_->Skip(count) ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    items_->Reset();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
    if (out == nullptr) return E_POINTER;
    *out = new EnumVariant(items_->Clone());
    return S_OK;
  }

 private:
  std::shared_ptr<Enumerator<T>> items_;
};

template <class T>
IUnknown* Make(std::shared_ptr<Enumerator<T>> items) {
  if (!items) return nullptr;
  return new EnumVariant<T>(std::move(items));
}

}  // namespace

IUnknown* MakeEnumerator(std::shared_ptr<Enumerator<BStr>> items) {
  return Make(std::move(items));
}
IUnknown* MakeEnumerator(std::shared_ptr<Enumerator<std::shared_ptr<OrvuSendMessage>>> items) {
  return Make(std::move(items));
}
IUnknown* MakeEnumerator(std::shared_ptr<Enumerator<std::shared_ptr<OrvuNotifiedOrderID>>> items) {
  return Make(std::move(items));
}
IUnknown* MakeEnumerator(std::shared_ptr<Enumerator<std::shared_ptr<OrvuNotifiedMessage>>> items) {
  return Make(std::move(items));
}
IUnknown* MakeEnumerator(std::shared_ptr<Enumerator<std::shared_ptr<OrvuReceptionKey>>> items) {
  return Make(std::move(items));
}
IUnknown* MakeEnumerator(std::shared_ptr<Enumerator<std::shared_ptr<OrvuReceivedMessage>>> items) {
  return Make(std::move(items));
}

}  // namespace orvulink::com
