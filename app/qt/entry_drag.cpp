#include "app/qt/entry_drag.h"

#include <filesystem>
#include <map>
#include <set>

#include <QFileInfo>

#include "ops/copy.h"
#include "platform/temp_dir.h"
#include "tifs/catalog.h"
#include "tifs/pc_directory.h"
#include "tifs/settings.h"

namespace kestrel
{

namespace
{

constexpr const char *kUriList = "text/uri-list";

// A folder of its own per drag, so that two drags never share files.
std::string NewExportFolder()
{
    const std::string base = platform::ProgramTempDir().Directory();
    if (base.empty())
        return {};
    static int number = 0;
    std::error_code ec;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string folder = JoinPcPath(base, "drag" + std::to_string(++number));
        if (std::filesystem::create_directory(folder, ec))
            return folder;
    }
    return {};
}

bool IsMarkable(const CatalogEntry &e)
{
    return IsTiFileKind(e.ti.kind) || e.ti.kind == kKindDos ||
           (e.ti.kind >= kKindDsk && e.ti.kind <= kKindPc99Dd);
}

} // namespace

EntryMimeData::EntryMimeData(int sourceSide, const Location &source,
                             std::vector<const CatalogEntry *> entries, Ui &ui)
    : m_side(sourceSide), m_source(source), m_entries(std::move(entries)), m_ui(ui)
{
    setData(kPaneDragFormat, QByteArray::number(sourceSide));
}

EntryMimeData::~EntryMimeData()
{
    RemoveExport();
}

QStringList EntryMimeData::formats() const
{
    return {kPaneDragFormat, kUriList};
}

bool EntryMimeData::hasFormat(const QString &mimeType) const
{
    return mimeType == kPaneDragFormat || mimeType == kUriList;
}

QVariant EntryMimeData::retrieveData(const QString &mimeType, QMetaType type) const
{
    if (mimeType == kUriList) {
        Export();
        QVariantList list;
        for (const QUrl &url : m_urls)
            list << url;
        return list;
    }
    return QMimeData::retrieveData(mimeType, type);
}

QList<QUrl> EntryMimeData::ExportedUrls() const
{
    Export();
    return m_urls;
}

void EntryMimeData::Export() const
{
    if (m_exported)
        return;
    m_exported = true;
    if (m_source.kind == kLocPcDirectory) {
        // The files are on the PC already: the desktop gets them as they are.
        for (const CatalogEntry *e : m_entries)
            m_urls << QUrl::fromLocalFile(
                QString::fromStdString(JoinPcPath(m_source.path, e->pcName)));
        return;
    }
    m_folder = NewExportFolder();
    if (m_folder.empty())
        return;
    Location target;
    target.kind = kLocPcDirectory;
    target.path = m_folder;
    target.startPath = m_folder;
    // The desktop gets TI files it can hand back: with a TIFILES header,
    // whatever the extraction setting says for copies into folders.
    Settings &settings = ProgramSettings();
    const bool extractTiFiles = settings.extractTiFiles;
    settings.extractTiFiles = true;
    OverwriteState state;
    for (const CatalogEntry *e : m_entries) {
        if (!IsTiFileKind(e->ti.kind))
            continue;
        if (CopyEntryIntoDirectory(m_source, *e, target, state, m_ui) == kCopyStop)
            break;
    }
    settings.extractTiFiles = extractTiFiles;
    std::error_code ec;
    for (const auto &file : std::filesystem::directory_iterator(m_folder, ec))
        m_urls << QUrl::fromLocalFile(QString::fromStdString(file.path().string()));
}

void EntryMimeData::RemoveExport()
{
    if (m_folder.empty())
        return;
    std::error_code ec;
    std::filesystem::remove_all(m_folder, ec);
    m_folder.clear();
}

int PaneDragSource(const QMimeData *data)
{
    if (data == nullptr || !data->hasFormat(kPaneDragFormat))
        return -1;
    bool ok = false;
    const int side = data->data(kPaneDragFormat).toInt(&ok);
    return ok && (side == 0 || side == 1) ? side : -1;
}

QStringList DroppedLocalPaths(const QMimeData *data)
{
    QStringList paths;
    if (data == nullptr || !data->hasUrls())
        return paths;
    for (const QUrl &url : data->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths << QFileInfo(url.toLocalFile()).absoluteFilePath();
    return paths;
}

std::vector<Location> LocationsOfDroppedPaths(const QStringList &paths, Ui &ui)
{
    // Folder -> the names dropped in it; a dropped folder stands for all of it.
    std::map<std::string, std::set<std::string>> files;
    std::set<std::string> wholeFolders;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isDir())
            wholeFolders.insert(info.absoluteFilePath().toStdString());
        else if (info.isFile())
            files[info.absolutePath().toStdString()].insert(info.fileName().toStdString());
    }
    std::vector<Location> out;
    auto list = [&](const std::string &folder, const std::set<std::string> *names) {
        Location location;
        location.kind = kLocPcDirectory;
        location.path = folder;
        location.startPath = folder;
        if (!OpenLocation(location, ui))
            return;
        bool any = false;
        for (auto &entry : location.entries) {
            const bool wanted = names ? names->count(entry->pcName) != 0 : IsMarkable(*entry);
            entry->marked = wanted;
            any = any || wanted;
        }
        if (any)
            out.push_back(std::move(location));
    };
    for (const auto &[folder, names] : files)
        list(folder, &names);
    for (const std::string &folder : wholeFolders)
        list(folder, nullptr);
    return out;
}

} // namespace kestrel
