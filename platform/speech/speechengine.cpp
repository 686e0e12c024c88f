#include "platform/speech/speechengine.h"

SpeechEngine::SpeechEngine(QObject *parent) : QObject(parent) { }

SpeechEngine::~SpeechEngine() = default;
