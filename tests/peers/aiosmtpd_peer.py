"""A real SMTP server (Debian's python3-aiosmtpd) on 127.0.0.1 with a free port.

Prints the port on the first line and takes one message; then prints the lines "HELO <domain>",
"FROM <sender>", "TO <recipient>" and "CONTENT <length>" followed by the message's bytes as the
server stored them, and ends. It gives up after the number of seconds given as its argument.
"""
import asyncio
import sys

from aiosmtpd.smtp import SMTP


class Keeper:
    def __init__(self, done):
        self.done = done

    async def handle_DATA(self, server, session, envelope):
        self.done.set_result((session.host_name, envelope.mail_from, ",".join(envelope.rcpt_tos),
                              envelope.original_content))
        return "250 OK"


async def main(limit):
    loop = asyncio.get_running_loop()
    done = loop.create_future()
    server = await loop.create_server(lambda: SMTP(Keeper(done), decode_data=False), "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    try:
        helo, sender, recipients, content = await asyncio.wait_for(done, limit)
        await asyncio.sleep(0.2)  # lets the QUIT be answered
    except asyncio.TimeoutError:
        print("TIMEOUT", flush=True)
        return
    finally:
        server.close()
    out = sys.stdout.buffer
    out.write(f"HELO {helo}\nFROM {sender}\nTO {recipients}\nCONTENT {len(content)}\n".encode())
    out.write(content)
    out.flush()


asyncio.run(main(float(sys.argv[1]) if len(sys.argv) > 1 else 10.0))
