#include "platform/PropPlugin.h"

#include "platform/Program.h"

#include <QFileInfo>
#include <QLibrary>

namespace mj {

QString PropPluginPath()
{
    return ProgramFolder() + QStringLiteral("/plugin/tools/libTesmora.so");
}

bool PropPluginFileExists()
{
    return QFileInfo(PropPluginPath()).isFile();
}

std::unique_ptr<Tesmora> CreatePropPlugin()
{
    const QString path = PropPluginPath();
    if (!QFileInfo(path).isFile())
        return nullptr;

    // All symbols are resolved at load time, so a library with a missing
    // dependency fails here rather than at its first call. The library is
    // never unloaded: the object's code lives in it, and QLibrary leaves a
    // loaded library in place when the QLibrary object goes.
    QLibrary library(path);
    library.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!library.load())
        return nullptr;
    auto create = reinterpret_cast<TesmoraFactory>(library.resolve(TesmoraEntryPoint));
    if (!create)
        return nullptr;
    try {
        return std::unique_ptr<Tesmora>(create(TesmoraInterfaceVersion));
    } catch (...) {
        return nullptr;
    }
}

} // namespace mj
