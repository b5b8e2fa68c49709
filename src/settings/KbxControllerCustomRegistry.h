// The generic settings store: opens the program's key and restores and stores
// the placement of any form; derived stores load and save further settings.
#pragma once
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
