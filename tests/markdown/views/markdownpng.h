#pragma once

#include "ui/environment.h"

#include <QImage>
#include <QString>

// Renders Markdown the way the preview shows it, for anyone working on the renderer to
// look at: the document laid out at `width` points on the text background of the
// environment's colour scheme, `scale` pixels per point. Images that load over the network are not waited
// for.
QImage renderMarkdown(
    const QString &markdown, double width, const ui::EnvironmentValues &environment = {}, double scale = 2);
// The same written to `path` as a PNG, which readers see whole or not at all; false
// when it could not be written.
bool writeMarkdownPng(const QString &markdown, double width, const QString &path,
    const ui::EnvironmentValues &environment = {}, double scale = 2);
