#include "keystrokesender.h"

KeystrokeSender::~KeystrokeSender() = default;
