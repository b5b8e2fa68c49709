// The generic settings store: opens the program's key and restores and stores
// the placement of any form; derived stores load and save further settings.
#pragma once
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include "settings/RegIniFile.h"

namespace vtx {

class TForm;

class TCCustomRegistry {
public:
    TCCustomRegistry(const TCCustomRegistry&) = delete;
    TCCustomRegistry& operator=(const TCCustomRegistry&) = delete;
    virtual ~TCCustomRegistry();

    void FormLoad(TForm& aForm);
    void FormSave(TForm& aForm);
    // Writes the further settings. A derived store's destructor calls it (the
    // base's destructor can no longer reach the derived hook).
    void Save();

    // The store shows nothing itself: it reports, and its owner (the
    // controller) shows the report.
    // False when the key could not be opened; then this text is to be shown
    // in a plain message box. The settings are kept in memory only.
    bool KeyOpened() const noexcept { return MRegIniFile && MRegIniFile->Opened(); }
    static constexpr const wchar_t* kRegistryReadError = L"Error reading Windows Registry.";
    // Told of an error of the final write (a derived store's destructor);
    // without a handler the error is dropped.
    std::function<void(const std::exception&)> OnSaveError;

protected:
    TCCustomRegistry() = default;
    // Opens the key and loads; derived constructors call it last.
    void Open();
    virtual void LoadFromRegistry() {}
    virtual void SaveToRegistry() {}

    std::unique_ptr<TRegIniFile> MRegIniFile;

private:
    static std::wstring RegistryKeyPath();
};

} // namespace vtx
