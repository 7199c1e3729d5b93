#pragma once
// The headless demonstration of the main job ("QUILLMARSH_DEMO_PIPELINE" names an audio file):
// the file goes through what a dictation goes through — the speech router and the recogniser,
// the vocabulary's written forms, punctuation, snippets, the history and the usage counts — and
// the final text is printed, with the model folders it used.

#include <QString>

class AppModel;
class ModelSetup;
class SpeechRouter;

namespace DemoPipeline {

// What the demonstration runs on: the page model (the user's settings and stores), the models
// and the speech router.
struct Parts {
    AppModel& model;
    ModelSetup& models;
    SpeechRouter& router;
};

// The speech model: "QUILLMARSH_MODEL_DIR", else the installed package of the user's choice,
// else the synthetic test model of the build. Empty when there is none.
QString speechModelFolder(const AppModel& model);
// The punctuation model: the installed one, else the build's synthetic one; empty when neither.
QString punctuationFolder();

// Runs the file through and prints to standard output; returns the program's exit code (0 on
// success, 1 with the reason on standard error).
int run(const Parts& parts, const QString& audioPath);

}
