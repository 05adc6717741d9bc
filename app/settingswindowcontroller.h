#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class AppState;

// The settings window: made on first request, then shown again on each one. Closing
// only hides it; its frame is remembered under "QuorvaneSettings" across launches.
// Main thread only.
class SettingsWindowController
{
public:
    static constexpr int width = 480;
    static constexpr int contentHeight = 560;

    // The one instance of the process.
    static SettingsWindowController &shared();

    // Builds the form shown in the window; by default an empty one.
    std::function<QWidget *(AppState &)> makeForm;

    void show(AppState &appState);
    QWidget *window() const { return m_window; }
    // Closes and destroys the window, before what its form refers to goes; the
    // next show() makes a new one.
    void destroyWindow();

private:
    QPointer<QWidget> m_window;
};
