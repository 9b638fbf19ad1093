#pragma once

// How a control places its text horizontally.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
