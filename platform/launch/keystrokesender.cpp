#include "platform/launch/keystrokesender.h"

KeystrokeSender::~KeystrokeSender() = default;
