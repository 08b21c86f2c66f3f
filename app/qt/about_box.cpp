#include "app/qt/about_box.h"

#include <filesystem>
#include <system_error>

#include <QDialog>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/qt/artwork.h"
#include "app/qt/help_window.h"
#include "app/qt/info_dialogs.h"
#include "app/shell/version.h"

namespace kestrel
{

namespace
{

constexpr int kOkId = 1;
constexpr int kVersionId = 1105;
constexpr int kIconId = 142;
constexpr int kIconSize = 48;

// "text\n<path>"
std::string QuotedPath(const char *text, const std::string &path)
{
    std::string message(text);
    message += "\n<";
    message += path;
    message += '>';
    return message;
}

} // namespace

bool RunAbout(QWidget *owner)
{
    QDialog dialog(owner);
    const QString caption = QString("About %1").arg(kProgramName);
    dialog.setObjectName(caption);
    dialog.setWindowTitle(caption);
    dialog.setModal(true);

    auto *icon = new QLabel;
    SetControlId(icon, kIconId);
    icon->setPixmap(ProgramIcon().pixmap(kIconSize, kIconSize));
    icon->setAlignment(Qt::AlignTop);
    auto *name = new QLabel(kProgramName);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    auto *description = new QLabel(kProgramDescription);
    description->setWordWrap(true);
    auto *version = new QLabel(QString::fromStdString(VersionText()));
    SetControlId(version, kVersionId);

    auto *texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(description);
    texts->addWidget(version);
    auto *body = new QHBoxLayout;
    body->addWidget(icon);
    body->addLayout(texts, 1);

    auto *ok = new QPushButton("OK");
    SetControlId(ok, kOkId);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(1); });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto *outer = new QVBoxLayout(&dialog);
    outer->addLayout(body);
    outer->addLayout(buttons);
    dialog.setMinimumWidth(360);
    dialog.exec();
    return true;
}

std::string HelpFilePath()
{
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::current_path(ec);
    if (ec)
        dir = std::filesystem::path(".");
    return (dir / kHelpFileName).string();
}

bool RunHelpIndex(QWidget *owner, Ui &ui)
{
    // The help command has always looked for its file in the working directory
    // of the moment, under the program's name: keeping that rule lets a user or
    // a packager put a newer manual next to the settings file. Without one the
    // program still has its own copy, so help never fails to appear.
    const std::string path = HelpFilePath();
    QUrl manual = BuiltInManualUrl();
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) {
        QFile file(QString::fromStdString(path));
        if (file.open(QIODevice::ReadOnly))
            manual = QUrl::fromLocalFile(file.fileName());
        else
            ui.ShowWarning(QuotedPath(
                "The help file could not be read; the built-in manual is shown instead:", path));
    }
    ShowHelpWindow(owner, manual);
    return true;
}

} // namespace kestrel
