#pragma once

// Ends the download the main window is running at once, and keeps the rest of its download step
// from starting another or showing a box: for a close request or a stop signal. Any thread.
void StopWindowDownloads();
