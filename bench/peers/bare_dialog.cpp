// SPDX-License-Identifier: GPL-3.0-or-later
// The floor under the player's figures: a bare Qt 6 Widgets dialog with a list and a button,
// optionally playing a file from the start through GStreamer.
//   bare_dialog                the dialog alone
//   bare_dialog playbin FILE   and FILE through playbin (audio only) and the automatic sink
//   bare_dialog lean FILE      and FILE through a lean MPEG audio chain to the automatic sink
// BARE_FONT names the application font, at 10.5 pt.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <QApplication>
#include <QDialog>
#include <QFont>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <gst/gst.h>

namespace {

GstElement *startPipeline(const char *mode, const char *file)
{
    std::string description;
    if (std::strcmp(mode, "playbin") == 0) {
        gchar *uri = gst_filename_to_uri(file, nullptr);
        // Audio only (flags=audio+soft-volume), as a music player builds it.
        description = std::string("playbin flags=0x12 uri=") + (uri ? uri : "");
        g_free(uri);
    } else {
        gchar *quoted = g_shell_quote(file);
        description = std::string("filesrc location=") + quoted +
                      " ! mpegaudioparse ! mpg123audiodec ! audioconvert ! audioresample ! volume"
                      " ! autoaudiosink";
        g_free(quoted);
    }
    GError *error = nullptr;
    GstElement *pipeline = gst_parse_launch(description.c_str(), &error);
    if (!pipeline) {
        std::fprintf(stderr, "bare_dialog: %s\n", error ? error->message : "no pipeline");
        g_clear_error(&error);
        return nullptr;
    }
    g_clear_error(&error);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    return pipeline;
}

} // namespace

int main(int argc, char **argv)
{
    const bool plays =
        argc == 3 && (std::strcmp(argv[1], "playbin") == 0 || std::strcmp(argv[1], "lean") == 0);
    if (argc != 1 && !plays) {
        std::fprintf(stderr, "usage: bare_dialog [playbin FILE | lean FILE]\n");
        return 2;
    }
    QApplication application(argc, argv);
    if (const char *family = std::getenv("BARE_FONT")) {
        QFont font(QString::fromUtf8(family));
        font.setPointSizeF(10.5);
        QApplication::setFont(font);
    }
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("bare dialog"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *list = new QListWidget(&dialog);
    list->addItem(QStringLiteral("pink_320k.mp3"));
    layout->addWidget(new QPushButton(QStringLiteral("play"), &dialog));
    layout->addWidget(list);
    dialog.setFixedSize(308, 582);

    GstElement *pipeline = nullptr;
    if (plays) {
        gst_init(nullptr, nullptr);
        // Started once the window is up, as a double-click would.
        QTimer::singleShot(0, &dialog, [&] { pipeline = startPipeline(argv[1], argv[2]); });
    }
    int result = dialog.exec();
    if (pipeline) {
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
    }
    return result;
}
