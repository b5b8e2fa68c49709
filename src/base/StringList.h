// A list of texts, each with a pointer-sized value in its object slot, and
// begin/end-update brackets so that a view over it is told once per batch.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vtx {

class TStringList {
public:
    struct Entry {
        std::wstring Text;
        std::uintptr_t Value = 0;
    };

    int Count() const noexcept { return static_cast<int>(FEntries.size()); }
    const Entry& operator[](int index) const { return FEntries.at(static_cast<size_t>(index)); }
    const std::wstring& Strings(int index) const { return (*this)[index].Text; }
    std::uintptr_t Objects(int index) const { return (*this)[index].Value; }
    int Add(std::wstring text, std::uintptr_t value = 0) {
        FEntries.push_back({std::move(text), value});
        if (FUpdateCount == 0) Changed();
        return Count() - 1;
    }
    void Clear() {
        FEntries.clear();
        if (FUpdateCount == 0) Changed();
    }
    void Delete(int index) {
        FEntries.erase(FEntries.begin() + index);
        if (FUpdateCount == 0) Changed();
    }
    auto begin() const noexcept { return FEntries.begin(); }
    auto end() const noexcept { return FEntries.end(); }

    void BeginUpdate() noexcept { ++FUpdateCount; }
    void EndUpdate() {
        if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
    }
    int UpdateCount() const noexcept { return FUpdateCount; }

    // Fired when the list changed outside of an update bracket, or when the
    // outermost bracket closes.
    std::function<void()> OnChange;

private:
    void Changed() {
        if (OnChange) OnChange();
    }
    std::vector<Entry> FEntries;
    int FUpdateCount = 0;
};

// Begin-update on construction, end-update on scope exit, also on an error.
class TUpdateBracket {
public:
    explicit TUpdateBracket(TStringList& list) noexcept : FList(list) { FList.BeginUpdate(); }
    TUpdateBracket(const TUpdateBracket&) = delete;
    TUpdateBracket& operator=(const TUpdateBracket&) = delete;
    ~TUpdateBracket() {
        try {
            FList.EndUpdate();
        } catch (...) {
        }
    }

private:
    TStringList& FList;
};

} // namespace vtx
