#pragma once

#include "platform/loginitem.h"

// The login item as a desktop entry in the XDG autostart folder
// ($XDG_CONFIG_HOME/autostart, default ~/.config/autostart), which every
// freedesktop session reads at login.
class XdgLoginItem final : public LoginItem
{
public:
    // The entry "quorvane.desktop" in `autostartFolder`, starting `executable`.
    XdgLoginItem(const QString &autostartFolder, const QString &executable);
    // This program's entry: the running executable, the user's autostart folder.
    static XdgLoginItem forThisProgram();

    QString filePath() const;

    // The entry exists and the session would run it: not Hidden (the way to delete
    // an entry that a system folder provides) and not switched off by the desktop
    // ("X-GNOME-Autostart-enabled=false").
    bool isEnabled() const override;
    // Writes the entry in one piece, making the folder when it is missing.
    bool registerEntry(QString *error = nullptr) override;
    bool unregisterEntry(QString *error = nullptr) override;
    QString location() const override { return m_folder; }

    // The Exec= value that starts `executable`, quoted and escaped as desktop entries
    // want it (a path with spaces, quotes, backslashes, "$" or "%" still starts it).
    static QString execValue(const QString &executable);

private:
    QString m_folder;
    QString m_executable;
};
