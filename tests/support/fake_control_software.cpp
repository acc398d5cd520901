#include "fake_control_software.h"

FakeControlSoftware::FakeControlSoftware(const QString& dir) { sim_.setDir(dir); }

bool FakeControlSoftware::LoadLibraryCshis() {
    if (loadable_) loaded_ = true;
    return loaded_;
}

bool FakeControlSoftware::has(const char* exportName) const {
    return loaded_ && exportName != nullptr && !missing_.contains(QString::fromLatin1(exportName));
}

QString FakeControlSoftware::loadError() const {
    return loaded_ || loadable_ ? QString() : QStringLiteral("not beside the program");
}

template <typename Call>
std::optional<int32_t> FakeControlSoftware::enter(const char* exportName, Call call) {
    if (!has(exportName)) return std::nullopt;
    return call();
}

// Every entry point is the simulator's call of the same export name.
#define FAKE_CS_CALL(result, name, exportName, params, args)                 \
    std::optional<result> FakeControlSoftware::name params {                 \
        return enter(#exportName, [&] { return sim_.exportName args; });     \
    }
TOLVANE_CONTROL_SOFTWARE_ENTRIES(FAKE_CS_CALL)
#undef FAKE_CS_CALL
