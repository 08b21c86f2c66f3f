// What a drag out of a pane carries: which pane it came from (for a drop on
// the other pane, which then copies as F5 does) and, for the desktop, the
// entries as file URLs. Entries of a PC directory are their own files;
// entries inside an image or archive are written as TIFILES files into a
// folder of the private temporary directory, only when a drop target asks
// for the URLs, and that folder is removed again after the drop.
#pragma once

#include <string>
#include <vector>

#include <QList>
#include <QMimeData>
#include <QStringList>
#include <QUrl>

#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

// The format of a drag between the panes: the source side as text.
constexpr const char *kPaneDragFormat = "application/x-kestrel-pane-entries";

// How long the exported files stay after the drop: a desktop file manager
// may read them only once the drop has finished.
constexpr int kDragExportLifetimeMs = 60000;

class EntryMimeData : public QMimeData
{
    Q_OBJECT
public:
    // entries: the entries dragged, of source (a pane's location, which must
    // stay as it is while the drag runs).
    EntryMimeData(int sourceSide, const Location &source, std::vector<const CatalogEntry *> entries,
                  Ui &ui);
    ~EntryMimeData() override;

    int SourceSide() const { return m_side; }
    QStringList formats() const override;
    bool hasFormat(const QString &mimeType) const override;

    // The files handed to the desktop (written on first use); empty when
    // nothing could be written.
    QList<QUrl> ExportedUrls() const;
    // The folder the exported files went to; empty while none was written.
    const std::string &ExportFolder() const { return m_folder; }
    // Removes the exported files now.
    void RemoveExport();

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    void Export() const;

    int m_side;
    const Location &m_source;
    std::vector<const CatalogEntry *> m_entries;
    Ui &m_ui;
    mutable bool m_exported = false;
    mutable std::string m_folder;
    mutable QList<QUrl> m_urls;
};

// The side a pane-to-pane drag came from, or -1 when data is no such drag.
int PaneDragSource(const QMimeData *data);

// The local files and folders of a drop from the desktop.
QStringList DroppedLocalPaths(const QMimeData *data);

// The locations that hold dropped PC paths: one per folder, listed, with the
// dropped files marked; a dropped folder is listed itself with every file of
// it marked. Locations that cannot be listed are reported and left out.
std::vector<Location> LocationsOfDroppedPaths(const QStringList &paths, Ui &ui);

} // namespace kestrel
