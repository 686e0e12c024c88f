#include "speechoutput.h"

#include "silentspeech.h"

SpeechOutput::SpeechOutput(QObject *parent)
    : QObject(parent)
{
}

SpeechOutput::~SpeechOutput() = default;

SpeechOutput *SpeechOutput::create(QObject *parent)
{
    return new SilentSpeech(SilentSpeech::Delay::None, parent);
}
