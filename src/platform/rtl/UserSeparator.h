#pragma once

// The decimal separator of the user's own settings; '.' when they name none or several
// characters. Each platform reads it its own way.
char ReadUserSeparator();
