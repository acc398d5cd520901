#include "card/loaded_control_software.h"

#include <array>
#include <cstring>

#include "common/library_loader.h"

namespace {

// One slot per entry point of the list, in its order.
enum Entry {
#define TOLVANE_CS_SLOT(result, name, exportName, params, args) e_##name,
    TOLVANE_CONTROL_SOFTWARE_ENTRIES(TOLVANE_CS_SLOT)
#undef TOLVANE_CS_SLOT
        eEntryCount
};

// The export names of the slots, as the library spells them.
constexpr std::array<const char*, eEntryCount> kExportNames = {
#define TOLVANE_CS_EXPORT_NAME(result, name, exportName, params, args) #exportName,
    TOLVANE_CONTROL_SOFTWARE_ENTRIES(TOLVANE_CS_EXPORT_NAME)
#undef TOLVANE_CS_EXPORT_NAME
};

int entryIndex(const char* exportName) {
    if (exportName == nullptr) return -1;
    for (int i = 0; i < eEntryCount; ++i) {
        if (std::strcmp(kExportNames[i], exportName) == 0) return i;
    }
    return -1;
}

}  // namespace

struct LoadedControlSoftware::Entries {
    std::array<QFunctionPointer, eEntryCount> fn{};

    // The bound entry point as its procedure type; null when it is not bound.
    template <typename F>
    F entry(Entry id) const {
        return reinterpret_cast<F>(fn[id]);
    }
};

LoadedControlSoftware::LoadedControlSoftware(QString programDir, QString baseName)
    : programDir_(std::move(programDir)),
      baseName_(std::move(baseName)),
      entries_(std::make_unique<Entries>()) {}

LoadedControlSoftware::~LoadedControlSoftware() { unload(); }

bool LoadedControlSoftware::LoadLibraryCshis() {
    if (isLoaded()) return true;
    lib_ = loadBesideProgram(programDir_, baseName_, &loadError_);
    if (!lib_) return false;
    bind();
    return true;
}

bool LoadedControlSoftware::isLoaded() const { return lib_ != nullptr && lib_->isLoaded(); }

void LoadedControlSoftware::unload() {
    entries_->fn.fill(nullptr);
    if (lib_) {
        lib_->unload();
        lib_.reset();
    }
}

void LoadedControlSoftware::bind() {
    // Look-ups only: a missing export leaves its slot empty and is never called.
    for (int i = 0; i < eEntryCount; ++i) entries_->fn[i] = lib_->resolve(kExportNames[i]);
}

bool LoadedControlSoftware::has(const char* exportName) const {
    if (!isLoaded()) return false;
    const int i = entryIndex(exportName);
    if (i >= 0) return entries_->fn[i] != nullptr;
    return exportName != nullptr && lib_->resolve(exportName) != nullptr;
}

QString LoadedControlSoftware::loadError() const { return loadError_; }

// Every entry point calls its slot when it is bound and answers std::nullopt otherwise.
#define TOLVANE_CS_CALL(result, name, exportName, params, args)               \
    std::optional<result> LoadedControlSoftware::name params {                \
        const auto bound = entries_->entry<F##exportName>(e_##name);          \
        if (bound == nullptr) return std::nullopt;                            \
        return bound args;                                                    \
    }
TOLVANE_CONTROL_SOFTWARE_ENTRIES(TOLVANE_CS_CALL)
#undef TOLVANE_CS_CALL
